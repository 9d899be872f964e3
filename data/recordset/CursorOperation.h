#pragma once

#include <exception>
#include <utility>

// Listener failures (a photo that does not decode, say) must not leave the
// cursor half-moved: they are held until the outermost operation has finished
// its work, then the first one is thrown.
class CursorOperation
{
public:
    CursorOperation(std::exception_ptr &deferred, bool &busy)
        : deferred_(deferred), busy_(busy), outer_(!busy)
    {
        busy_ = true;
    }
    ~CursorOperation()
    {
        if (outer_) {
            busy_ = false;
            deferred_ = nullptr;
        }
    }
    void finish()
    {
        if (outer_ && deferred_) {
            std::exception_ptr error = std::exchange(deferred_, nullptr);
            std::rethrow_exception(error);
        }
    }

private:
    std::exception_ptr &deferred_;
    bool &busy_;
    bool outer_;
};
