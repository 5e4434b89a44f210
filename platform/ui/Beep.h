#pragma once

// The desktop's alert sound, played when a control refuses what the user did. Tests
// install a RecordingBeeper and count instead.
void beep();

class RecordingBeeper {
public:
    RecordingBeeper();
    ~RecordingBeeper();
    RecordingBeeper(const RecordingBeeper &) = delete;
    RecordingBeeper &operator=(const RecordingBeeper &) = delete;

    int count = 0;
};
