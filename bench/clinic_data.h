#pragma once

#include <string>

namespace qa::bench {

// The three sizes every scale benchmark runs at.
inline constexpr int kClinicSizes[] = {10'000, 100'000, 1'000'000};

// A main HbA1c file that looks like a clinic's: patient IDs drawn from a population (about
// nine rows in ten name a patient seen once, the rest a few regulars with many results each),
// dates over ten years, a few results out of the meter's range. Deterministic for a size;
// generated once into the benchmark's build folder and reused by later runs. The table has
// the index the program creates. A main glucose file of a tenth as many rows comes beside it.
std::string ClinicHbA1cFile(int rows);
std::string ClinicGlucoseFile(int rows);

// A data folder (in the scratch folder) whose default user's main files are copies of the
// clinic files of that size. Built once per process and size.
std::string ClinicDataFolder(int rows);

// "10k", "100k", "1M".
std::string SizeName(int rows);

} // namespace qa::bench
