#pragma once

#include <string>

namespace vexlor::modules {

class ModuleDatabase;

/// A write transaction on a module that rolls back unless committed. Inside another transaction
/// it is a savepoint of that one, so writes that make their own transaction can run in a batch.
class Transaction {
  public:
    explicit Transaction(ModuleDatabase& database, std::string* error = nullptr);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    /// Whether the transaction began; writes made when it did not are not protected by it.
    bool active() const { return active_; }
    /// Makes the writes since the start permanent (or part of the enclosing transaction).
    /// On failure everything since the start is rolled back and no transaction stays open.
    bool commit(std::string* error = nullptr);

  private:
    void rollback();

    ModuleDatabase& database_;
    bool nested_ = false;
    bool active_ = false;
};

}  // namespace vexlor::modules
