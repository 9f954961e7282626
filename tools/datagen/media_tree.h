// Sample data: the sound effects, the music tracks and the intro clip of the data tree.
#pragma once
#include <string>

// Writes below root: data/sounds/*.wav, data/cdaudio/track01.wav .. track10.wav and
// data/intro/ostrel/ost8Xhi.avi. False (with a message on standard error) when a file fails.
bool DatagenWriteMedia(const std::string& root);
