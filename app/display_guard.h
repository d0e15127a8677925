#pragma once

#include <functional>

// Qt meets a display it cannot open with a page of advice and an abort (a core dump),
// and ends the process when an open display goes away. These turn the first into one
// line and exit status 1, and store the record before the second.

// Lives while the application object is constructed. Qt's lines are held back meanwhile;
// a fatal one means no display could be opened: one line on stderr, exit status 1.
// Once the display is open, release() lets the held-back lines through.
class DisplayOpening {
public:
    DisplayOpening();
    ~DisplayOpening();
    DisplayOpening(const DisplayOpening&) = delete;
    DisplayOpening& operator=(const DisplayOpening&) = delete;
    void release();
};

// While it lives, saves once when Qt reports that the display connection broke, before
// Qt ends the process (exit() on X11, _exit() on Wayland: no exit handler runs). `save`
// runs on the thread that owns the application's objects; only when that thread does
// not get to it in time does `fallback` run on the thread that noticed, and it must
// touch nothing that thread is changing. Neither may touch the display. Let it go
// before what they read.
class SaveWhenTheDisplayGoesAway {
public:
    SaveWhenTheDisplayGoesAway(std::function<void()> save, std::function<void()> fallback);
    ~SaveWhenTheDisplayGoesAway();
    SaveWhenTheDisplayGoesAway(const SaveWhenTheDisplayGoesAway&) = delete;
    SaveWhenTheDisplayGoesAway& operator=(const SaveWhenTheDisplayGoesAway&) = delete;
};
