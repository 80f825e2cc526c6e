#pragma once

#include "base/result.h"

namespace vexlor::modules {

class ModuleDatabase;

/// A write transaction on a module that rolls back unless committed. Inside another transaction
/// it is a savepoint of that one, so writes that make their own transaction can run in a batch.
class Transaction {
  public:
    explicit Transaction(ModuleDatabase& database);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    /// Whether the transaction began; writes made when it did not are not protected by it.
    bool active() const { return active_; }
    /// Why it did not begin.
    const Status& begun() const { return begun_; }
    /// Makes the writes since the start permanent (or part of the enclosing transaction).
    /// On failure everything since the start is rolled back and no transaction stays open.
    Status commit();

  private:
    void rollback();

    ModuleDatabase& database_;
    bool nested_ = false;
    bool active_ = false;
    Status begun_ = Status::success();
};

/// A read transaction: what is read inside it is one state of the file, whatever other programs
/// commit meanwhile. Inside another transaction it adds nothing.
class ReadTransaction {
  public:
    explicit ReadTransaction(ModuleDatabase& database);
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;
    /// Whether the reads are one state: false when the transaction could not begin.
    bool active() const { return active_; }

  private:
    ModuleDatabase& database_;
    bool began_ = false;
    bool active_ = false;
};

}  // namespace vexlor::modules
