// Message traces in the manner of Wine's conformance tests: a recorder
// subclasses windows and logs what they receive; expected traces are
// constant tables; the compare helper reports index, expected and actual
// in hex, then both traces.
#pragma once

#include <windows.h>

#include <source_location>
#include <string>
#include <vector>

namespace support {

struct TracedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    HWND window;
};

enum TraceMatch : unsigned { kMatchMessage = 0, kMatchWParam = 1, kMatchLParam = 2 };

struct ExpectedMessage {
    UINT message;
    unsigned match;  // which of wParam and lParam must match too
    WPARAM wParam;
    LPARAM lParam;
};

// Logs every message that the watched windows receive, except the noisy
// ones (paint, cursor, hit test, timers, get-text, IME). Not copyable:
// the windows point back at it until it goes.
class MessageRecorder {
public:
    MessageRecorder() = default;
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;
    ~MessageRecorder();

    void Watch(HWND window);
    void Clear() { log_.clear(); }
    const std::vector<TracedMessage>& Log() const { return log_; }
    // The messages of one window only.
    std::vector<TracedMessage> For(HWND window) const;

private:
    static LRESULT CALLBACK Record(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR data);
    std::vector<HWND> windows_;
    std::vector<TracedMessage> log_;
};

// Sends WM_NULL as a marker, handles what is pending, so that a trace
// covers everything an action caused.
void FlushPending(HWND window);

// Compares with gtest; `context` names the action. A mismatch is reported
// at the caller's line.
void ExpectTrace(const std::vector<TracedMessage>& actual,
                 const std::vector<ExpectedMessage>& expected, const std::string& context,
                 std::source_location caller = std::source_location::current());

}  // namespace support
