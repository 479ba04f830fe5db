// The process's operator new, which tests can make refuse every request
// that is allowed to fail (new (std::nothrow)), so that code which falls
// back when memory is short can be run down its fallback.
#pragma once

namespace refusing_new {

void Refuse(bool on);

}  // namespace refusing_new
