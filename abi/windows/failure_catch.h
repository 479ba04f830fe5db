// Windows: a plug-in's failure (plugin_failure.h) taken back at a chosen
// frame. The catcher is a frame-based handler on the thread's own chain,
// so whichever module set it up, the innermost catcher on the stack takes
// the failure, as a C++ catch would.
#pragma once

#include <cstdint>
#include <exception>
#include <type_traits>

namespace korpus_abi::windows {

struct CaughtFailure {
  std::uint32_t ordinal = 0;  // the abandoned host entry; 0 for another failure
  char text[256] = {};        // empty when the failure had no text
};

// Runs run(context). When a failure is raised inside it and no catcher
// nearer the raise takes it, the call ends there and the failure is
// written to *failure: true. The frames between are left without running
// their clean-up, so a raise must come from where nothing is left to
// clean up. No C++ exception may leave run: the catcher's frame has no
// unwind information.
bool CatchFailure(void (*run)(void*), void* context, CaughtFailure* failure);

// The same for a callable; a C++ exception that it throws is carried over
// the catcher's frame and thrown again after it.
template <class Call>
bool CatchFailure(Call&& call, CaughtFailure& failure) {
  struct Context {
    std::remove_reference_t<Call>* call;
    std::exception_ptr thrown;
  } context{&call, nullptr};
  auto run = [](void* raw) {
    auto* running = static_cast<Context*>(raw);
    try {
      (*running->call)();
    } catch (...) {
      running->thrown = std::current_exception();
    }
  };
  const bool caught = CatchFailure(run, &context, &failure);
  if (context.thrown) std::rethrow_exception(context.thrown);
  return caught;
}

// Raises the failure; the text is copied by the catcher before any frame
// is left, so it may live in the raising frame.
[[noreturn]] void RaiseFailure(std::uint32_t ordinal, const char* text);

// Copies a failure's text into its bounded field.
CaughtFailure Describe(std::uint32_t ordinal, const char* text);

}  // namespace korpus_abi::windows
