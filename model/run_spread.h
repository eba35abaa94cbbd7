#pragma once
// Independent jobs of one computation (the samples of a waveform) spread over the machine's cores.

#include <algorithm>
#include <cstddef>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace kestrix {

/// runs job(k) for k = 0..count-1 spread over the cores; the first failure is rethrown
template <typename Job>
void RunSpread(std::size_t count, const Job& job) {
  if (count == 0) return;
  const unsigned threads =
      static_cast<unsigned>(std::min<std::size_t>(std::max(1u, std::thread::hardware_concurrency()), count));
  std::vector<std::exception_ptr> failures(threads);
  const auto run = [&](unsigned first) {
    try {
      for (std::size_t k = first; k < count; k += threads) job(k);
    } catch (...) {
      failures[first] = std::current_exception();  // handed to the caller below
    }
  };
  std::vector<std::thread> workers;
  for (unsigned t = 1; t < threads; ++t) {
    try {
      workers.emplace_back(run, t);
    } catch (const std::system_error&) {
      run(t);  // no thread to be had: the same work on this one
    }
  }
  run(0);
  for (std::thread& worker : workers) worker.join();
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
}

}  // namespace kestrix
