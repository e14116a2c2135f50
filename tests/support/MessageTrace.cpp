#include "support/MessageTrace.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <type_traits>

#include "support/WindowDriver.h"

namespace support {

namespace {

constexpr UINT_PTR kRecorderId = 0x7E57;

constexpr UINT kIgnored[] = {
    WM_PAINT,       WM_NCPAINT,     WM_ERASEBKGND,    WM_SETCURSOR,    WM_NCHITTEST,
    WM_TIMER,       WM_GETTEXT,     WM_GETTEXTLENGTH, WM_GETICON,      WM_IME_SETCONTEXT,
    WM_IME_NOTIFY,  WM_GETOBJECT,   WM_NULL,          WM_CTLCOLOREDIT, WM_CTLCOLORSTATIC,
    WM_CTLCOLORBTN, WM_PRINTCLIENT, WM_SYNCPAINT,
};

// One line a message, an expected one with what of it must match.
template <typename Message>
std::string Describe(const std::vector<Message>& trace) {
    std::string text;
    char line[96];
    for (std::size_t i = 0; i < trace.size(); ++i) {
        std::snprintf(line, sizeof line, "  %2zu: msg %04x wp %llx lp %llx", i, trace[i].message,
                      static_cast<unsigned long long>(trace[i].wParam),
                      static_cast<unsigned long long>(trace[i].lParam));
        text += line;
        if constexpr (std::is_same_v<Message, ExpectedMessage>) {
            text += " (match " + std::to_string(trace[i].match) + ")";
        }
        text += "\n";
    }
    return text;
}

}  // namespace

MessageRecorder::~MessageRecorder() {
    for (HWND window : windows_) {
        if (IsWindow(window)) {
            RemoveWindowSubclass(window, &MessageRecorder::Record, kRecorderId);
        }
    }
}

void MessageRecorder::Watch(HWND window) {
    if (SetWindowSubclass(window, &MessageRecorder::Record, kRecorderId,
                          reinterpret_cast<DWORD_PTR>(this))) {
        windows_.push_back(window);
    }
}

std::vector<TracedMessage> MessageRecorder::For(HWND window) const {
    std::vector<TracedMessage> selected;
    std::copy_if(log_.begin(), log_.end(), std::back_inserter(selected),
                 [window](const TracedMessage& m) { return m.window == window; });
    return selected;
}

LRESULT CALLBACK MessageRecorder::Record(HWND window, UINT msg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR /*id*/, DWORD_PTR data) {
    auto* recorder = reinterpret_cast<MessageRecorder*>(data);
    if (std::ranges::find(kIgnored, msg) == std::end(kIgnored)) {
        recorder->log_.push_back({msg, wParam, lParam, window});
    }
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(window, &MessageRecorder::Record, kRecorderId);
    }
    return DefSubclassProc(window, msg, wParam, lParam);
}

void FlushPending(HWND window) {
    SendMessageA(window, WM_NULL, 0, 0);
    PumpMessages();
}

void ExpectTrace(const std::vector<TracedMessage>& actual,
                 const std::vector<ExpectedMessage>& expected, const std::string& context,
                 std::source_location caller) {
    const char* file = caller.file_name();
    const int line = static_cast<int>(caller.line());
    const std::size_t count = std::min(actual.size(), expected.size());
    bool same = actual.size() == expected.size();
    for (std::size_t i = 0; i < count && same; ++i) {
        const ExpectedMessage& want = expected[i];
        const TracedMessage& got = actual[i];
        if (got.message != want.message ||
            ((want.match & kMatchWParam) != 0 && got.wParam != want.wParam) ||
            ((want.match & kMatchLParam) != 0 && got.lParam != want.lParam)) {
            ADD_FAILURE_AT(file, line)
                << context << ": message " << i << ": expected " << std::hex << want.message
                << " wp " << want.wParam << " lp " << want.lParam << ", got " << got.message
                << " wp " << got.wParam << " lp " << got.lParam;
            same = false;
        }
    }
    if (!same) {
        ADD_FAILURE_AT(file, line) << context << ": expected trace:\n"
                                   << Describe(expected) << "actual trace:\n"
                                   << Describe(actual);
    }
}

}  // namespace support
