#pragma once

// The most memory this process has held so far, in MiB.
long peakMemoryMiB();
