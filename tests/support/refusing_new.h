// The process's operator new, which tests can make refuse every request
// that is allowed to fail (new (std::nothrow)), so that code which falls
// back when memory is short can be run down its fallback.
#pragma once

namespace refusing_new {

void Refuse(bool on);

// From the n-th nothrow request on (counted from this call), every one is
// refused; n <= 0: none.
void RefuseFrom(long n);

}  // namespace refusing_new
