#include "app/TaskBarProgress.h"

#include <utility>

ComPtr<ITaskbarList3> TaskBarProgress::ShellTaskBarList() {
    ComPtr<ITaskbarList3> list;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void**>(list.Put()))) ||
        !list || FAILED(list->HrInit())) {
        list.Reset();
    }
    return list;
}

TaskBarProgress::TaskBarProgress(HWND window, Factory factory)
    : window_(window), factory_(std::move(factory)) {}

ITaskbarList3* TaskBarProgress::List() {
    if (!made_) {
        made_ = true;
        if (factory_) {
            list_ = factory_();
        }
    }
    return list_.Get();
}

void TaskBarProgress::SetState(TBPFLAG state) {
    if (state == state_) {
        return;
    }
    state_ = state;
    done_ = total_ = 0;
    if (ITaskbarList3* list = List()) {
        list->SetProgressState(window_, state);
    }
}

void TaskBarProgress::Indeterminate() {
    SetState(TBPF_INDETERMINATE);
}

void TaskBarProgress::Share(uint64_t done, uint64_t total) {
    SetState(TBPF_NORMAL);
    if (done == done_ && total == total_) {
        return;
    }
    done_ = done;
    total_ = total;
    if (ITaskbarList3* list = List()) {
        list->SetProgressValue(window_, done, total);
    }
}

void TaskBarProgress::Error() {
    SetState(TBPF_ERROR);
}

void TaskBarProgress::Clear() {
    SetState(TBPF_NOPROGRESS);
}
