#pragma once

class MainWindow;

// For end-to-end tests, which cannot know the frames of swimming fish in advance. Only
// with PONDEL_FRAME_HOLD naming a folder: SIGUSR1 stops the frame timer and, once the last
// frame has had time to reach the screen, writes the frame the program holds to
// FOLDER/frame.png; SIGUSR2 starts the timer again. FOLDER/ready tells the hook is in place.
// Windows has no such signals: there a file FOLDER/hold stops and FOLDER/go starts.
void holdFramesOnSignals(MainWindow& window);
