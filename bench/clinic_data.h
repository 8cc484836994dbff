#pragma once

#include <string>
#include <vector>

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

// A copy of the clinic HbA1c file of that size in the scratch folder, opened once as the
// program opens it so the indexes it adds are made before any timed run. Built once per
// process and size.
std::string ClinicWorkingCopy(int rows);

// "10k", "100k", "1M".
std::string SizeName(int rows);

// One HbA1c result as a meter sends it: date yyyymmdd, time hhmm, four-digit value and a
// patient ID of the meter's fourteen characters.
struct ClinicRecord {
    std::string date;
    std::string time;
    std::string value;
    std::string pid;
};

// `count` results of the year after the clinic files' dates, so none of them is stored yet:
// nine in ten name a patient of their own, the rest a few regulars seen again and again; a
// few values out of the meter's range. Deterministic for a seed.
std::vector<ClinicRecord> NewClinicRecords(int count, unsigned seed);

// The floor of storing results: SQLite alone runs the duplicate test and the insert of each
// record with statements prepared once, one transaction per file; a record not yet in
// `mainPath` goes to it and, when `downloadPath` is not empty, to that file's download table.
// Returns how many were new.
int SqliteStoreRecords(const std::string& mainPath, const std::string& downloadPath,
                       const std::vector<ClinicRecord>& records);

} // namespace qa::bench
