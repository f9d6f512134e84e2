#pragma once
// The waveform demo beside the main one: a synthetic Vallen hit database ("waves.pridb", four
// channels) with its transient database ("waves.tradb", FLAC-compressed records of 2048
// samples), and the project "waves.xml" on it with one page: a table of the hits with their
// waveform index and peak frequency (a double-click on a row opens the waveform window), and a
// graph of peak frequency against amplitude (a double-click on a point does too).

#include <filesystem>
#include <string>

// False with the file and the reason in `error` when a file cannot be written.
bool WriteWaveformDemo(const std::filesystem::path& dir, std::string& error);
