// The words of a patch run's progress, as people say them: sizes in decimal
// units to three figures ("1.20 GB", "512 MB"), and the time left in
// seconds under a minute (by fives from ten on) and in whole minutes after.
// Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

std::string SizeText(uint64_t bytes);
// "about 45 seconds left", "about 1 minute left"
std::string TimeLeftText(uint64_t seconds);
// "1.20 GB of 4.30 GB, about 2 minutes left"; without the time when none is
// known or nothing is left.
std::string ProgressText(uint64_t produced, uint64_t total, std::optional<uint64_t> secondsLeft);
