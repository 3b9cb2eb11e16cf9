#pragma once
// The record sets that read in one transaction on a connection: the first one in begins it unless
// the caller's own transaction runs, the last one out ends what was begun.

namespace norvik::db {

class ReadTransactions {
  public:
    // Joins; for the first reader, `idle()` says whether no transaction runs and `begin()` then
    // begins one. True when this call began it.
    template <class Idle, class Begin>
    bool Join(Idle idle, Begin begin) {
        bool began = false;
        if (readers_ == 0 && idle()) {
            begin();
            owns_ = began = true;
        }
        ++readers_;
        return began;
    }
    // Takes a transaction begun otherwise as begun here: the last reader out ends it.
    void Adopt() noexcept { owns_ = true; }
    // Leaves; true when the last reader left a transaction that Join began, which the caller then
    // ends.
    bool Leave() noexcept {
        if (--readers_ > 0 || !owns_) return false;
        owns_ = false;
        return true;
    }

  private:
    int readers_ = 0;
    bool owns_ = false;
};

}  // namespace norvik::db
