// The file folder's test seams (the form is core/hook.h's): each replaces one piece of real
// behaviour while installed, and nullptr restores it.
#pragma once
#include <cstddef>
#include <functional>

// CAppendWriter (append_writer.h): the hook writes each batch instead of the file, on the
// writer's thread; it returns false with errno set to fail the write.
void SetAppendWriteHook(std::function<bool(const char*, size_t)> hook);
