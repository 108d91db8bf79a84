// Notes of what went wrong where nobody can be asked (see the header).
#include "framework/Trace.h"

#include <windows.h>

#include <atomic>
#include <ctime>
#include <mutex>

#include "framework/TextFiles.h"
#include "framework/Wide.h"

namespace px {

namespace {

std::mutex traceLock;
std::string tracePath;
std::atomic<unsigned> traceCount{0};

}  // namespace

void SetTraceFile(const std::string& path) {
  std::lock_guard<std::mutex> lock(traceLock);
  tracePath = path;
}

void Trace(const std::string& what) {
  ++traceCount;
  std::string path;
  {
    std::lock_guard<std::mutex> lock(traceLock);
    path = tracePath;
  }
  if (!path.empty()) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof(stamp), "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond);
    const std::string line = stamp + what + "\r\n";
    std::lock_guard<std::mutex> lock(traceLock);
    HANDLE file = CreateFileW(FileApiPath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      CloseHandle(file);
    }
  }
#ifndef NDEBUG
  // Owned by the window active on this thread, if any (a job's thread has none).
  MessageBoxW(GetActiveWindow(), Widen(what).c_str(), L"Pannex", MB_OK | MB_ICONERROR | MB_TASKMODAL);
#endif
}

unsigned TraceCount() { return traceCount.load(); }

}  // namespace px
