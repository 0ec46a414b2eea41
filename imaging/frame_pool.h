#pragma once

#include <opencv2/core/mat.hpp>

#include <cstddef>

namespace orbisk {

// Buffers of full-size frames and pages that go back to a pool instead of to
// the system when their last matrix goes, and are handed out again for the
// next matrix of that size. Memory fresh from the system is faulted in page
// by page on first touch, which on an 8-megapixel frame costs more than the
// work done on it. Buffers of less than kPooledBytes are allocated as usual.
// Any thread; the pool keeps at most kMaxIdleBytes it does not use.
inline constexpr size_t kPooledBytes = size_t{1} << 20;
inline constexpr size_t kMaxIdleBytes = size_t{160} << 20;

// The pool as an OpenCV allocator: a matrix whose `allocator` is set to it
// takes its buffer from the pool whenever it is (re)created.
cv::MatAllocator* FramePool();

// An uninitialised matrix with a pooled buffer.
cv::Mat PooledMat(cv::Size size, int type);
// A deep copy of `image` into a pooled buffer; empty for an empty image.
cv::Mat PooledClone(const cv::Mat& image);

// The bytes of the buffers the pool holds for reuse.
size_t FramePoolIdleBytes();
// Gives every idle buffer back to the system; buffers in use stay theirs.
// The pool is process-wide: a test that looks at which buffer comes back
// starts from an empty pool with it.
void ReleaseIdleFrameBuffers();

}  // namespace orbisk
