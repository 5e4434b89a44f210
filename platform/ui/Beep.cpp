#include "platform/ui/Beep.h"

#include <QApplication>

namespace {
RecordingBeeper *recorder = nullptr;
}

void beep() {
    if (recorder)
        ++recorder->count;
    else
        QApplication::beep();
}

RecordingBeeper::RecordingBeeper() {
    recorder = this;
}

RecordingBeeper::~RecordingBeeper() {
    if (recorder == this)
        recorder = nullptr;
}
