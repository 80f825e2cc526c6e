#pragma once

// Changes to a document that undo themselves, and a plain undo history of them.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vexlor::authoring {

class Document;

/// One change to a document that can be taken back. An edit is made by one of the document's
/// edit functions and changes nothing until it is applied. Edits are applied and reverted in
/// the order of an undo stack: `revert` only ever follows the `apply` of the same edit, with
/// every later edit reverted already.
class Edit {
  public:
    virtual ~Edit() = default;
    Edit(const Edit&) = delete;
    Edit& operator=(const Edit&) = delete;

    /// Does the change (the first time) or does it again (after a revert).
    void apply(Document& document);
    /// Takes the change back.
    void revert(Document& document);
    /// For the undo menu: "Edit the right answer", "Delete 3 questions", ...
    const std::string& describe() const { return description_; }
    /// The row to select after applying the edit (or after reverting it, `afterRevert`):
    /// the row edited, the first row inserted or moved, the first row where deleted rows were
    /// (past the last row when they were the last). A property edit names no row (0).
    std::size_t focusRow(bool afterRevert) const {
        return afterRevert ? focusAfterRevert_ : focusAfterApply_;
    }

  protected:
    explicit Edit(std::string description) : description_(std::move(description)) {}
    virtual void redo(Document& document) = 0;
    virtual void undo(Document& document) = 0;
    /// Takes `next` (applied just after this one) into this edit, when both are typing in the
    /// same field: the two then undo as one.
    virtual bool absorb(const Edit& /*next*/) { return false; }

    std::string description_;
    std::size_t focusAfterApply_ = 0;
    std::size_t focusAfterRevert_ = 0;

  private:
    friend class Document;
    friend class EditFactory;
    std::uint64_t state_ = 0;  ///< the document state this edit leads to, given when made
};

using EditPtr = std::unique_ptr<Edit>;

/// A linear undo history of edits, as the window's undo stack keeps it; the tests and any
/// front end without its own stack use this one.
class EditHistory {
  public:
    explicit EditHistory(Document& document) : document_(document) {}
    /// Applies the edit and keeps it on top, merging it into the one below when the document
    /// allows (typing in one field); drops what was undone before.
    void push(EditPtr edit);
    bool undo();
    bool redo();
    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < edits_.size(); }
    std::size_t size() const { return edits_.size(); }
    /// Forgets every edit (after a revert, whose document the edits no longer fit).
    void clear();

  private:
    Document& document_;
    std::vector<EditPtr> edits_;
    std::size_t done_ = 0;
};

}  // namespace vexlor::authoring
