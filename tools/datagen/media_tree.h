// Sample data: the sound effects, the music and the intro clips of the data tree.
#pragma once
#include <string>

// Writes below root: every sound of data/sounds (22050 Hz mono), the ten race tracks
// data/cdaudio/track01.wav .. track10.wav and the clips data/intro/ostrel/ost8Xhi.avi and
// data/intro/tarnwick/Tarnwick.avi. False (with a message on standard error) when a file fails.
bool DatagenWriteMedia(const std::string& root);
