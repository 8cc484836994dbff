// The patient commands of the command line on hand-made per-user files.
#include "app/cli.h"
#include "store/measurement_table.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

using namespace qa;
using namespace qa::test;

namespace {

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

CliRun Cli(const std::string& folder, std::vector<std::string> args) {
    args.insert(args.begin(), {"--data-dir", folder});
    std::ostringstream out, err;
    int code = RunCli(args, out, err);
    return {code, out.str(), err.str()};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::string PdfText(const TempDir& dir, const std::string& pdf) {
    std::string command = "pdftotext -layout " + pdf + " " + dir.File("text.txt");
    EXPECT_EQ(std::system(command.c_str()), 0);
    // Some fonts extract a blank as \x01; whitespace runs count as one blank.
    std::string text;
    for (char c : ReadFile(dir.File("text.txt"))) {
        const bool blank = c == ' ' || c == '\x01' || c == '\n' || c == '\t';
        if (!(blank && !text.empty() && text.back() == ' ')) {
            text += blank ? ' ' : c;
        }
    }
    return text;
}

const std::string kId = "K'7|^~\\&,\"x\"";

void AddRow(MeasurementTable& table, const char* date, const char* value, const std::string& pid,
            const std::string& name = "", const std::string& dob = "") {
    ASSERT_TRUE(table.AddNew());
    table.date = date;
    table.time = "0930";
    table.value = value;
    table.pid = pid;
    table.opid = "";
    table.eqType = table.Kind() == ResultKind::HbA1c ? "1" : "2";
    table.name = name;
    table.dob = dob;
    table.diagnose = 0;
    table.memo = "";
    ASSERT_TRUE(table.Update());
}

} // namespace

TEST(CliPatients, PatientsListAndPatientFiltersOnListExportAndReport) {
    TempDir dir;
    const std::string data = dir.File("data");
    ASSERT_EQ(Cli(data, {"list"}).code, 0);
    // The report's words are read back in English: the operator's language.
    ASSERT_EQ(Cli(data, {"settings", "set", "lang=1"}).code, 0);
    {
        HbA1cTable hba1c;
        ASSERT_TRUE(hba1c.SetTableName(kMainTableName));
        ASSERT_TRUE(hba1c.OpenOrCreate(data + "/Basis_HbA1c.sqlite"));
        AddRow(hba1c, "20240610", "0720", kId);
        AddRow(hba1c, "20240305", "1450", kId);
        AddRow(hba1c, "20230102", "0790", kId);
        AddRow(hba1c, "20240101", "0600", "OTHER");
        AddRow(hba1c, "20240102", "0610", "K'7");
        GlucoseTable glucose;
        ASSERT_TRUE(glucose.SetTableName(kMainTableName));
        ASSERT_TRUE(glucose.OpenOrCreate(data + "/Basis_Glucose.sqlite"));
        AddRow(glucose, "20240609", "142", kId);
    }

    CliRun patients = Cli(data, {"patients"});
    ASSERT_EQ(patients.code, 0) << patients.err;
    const std::string header =
        "Patient ID\tResults\tLast date\tLast result\tName\tBirth date\tRecords";
    EXPECT_EQ(Lines(patients.out),
              (std::vector<std::string>{header, "K'7\t1\t2024-01-02\t6.1 %\t\t\t",
                                        kId + "\t3\t2024-06-10\t7.2 %\t\t\t",
                                        "OTHER\t1\t2024-01-01\t6.0 %\t\t\t"}));
    EXPECT_EQ(Cli(data, {"patients", "--kind", "glucose"}).out,
              header + "\n" + kId + "\t1\t2024-06-09\t142 mg/dL\t\t\t\n");
    EXPECT_EQ(Cli(data, {"patients", "--weeks", "2"}).code, 2);

    CliRun list = Cli(data, {"list", "--patient", kId});
    ASSERT_EQ(list.code, 0) << list.err;
    auto lines = Lines(list.out);
    ASSERT_EQ(lines.size(), 4u) << list.out << "the ID that is a prefix stays out";
    // A cell with a comma or a quote is quoted, as in every export.
    EXPECT_EQ(lines[2], "2,2024-03-05,09:30 AM,> 14 %,> 14 %,\"K'7|^~\\&,\"\"x\"\"\",");
    CliRun period = Cli(data, {"list", "--patient", kId, "--from", "20240101", "--to", "20241231"});
    EXPECT_EQ(Lines(period.out).size(), 3u) << "combined with the search period";
    CliRun weeks = Cli(data, {"list", "--patient", kId, "--weeks", "1"});
    EXPECT_EQ(Lines(weeks.out).size(), 2u) << "the week up to the newest stored date";
    EXPECT_EQ(Lines(Cli(data, {"list", "--patient", "nobody"}).out).size(), 1u);

    ASSERT_EQ(Cli(data, {"export", "--patient", kId, "--out", dir.File("p.csv")}).code, 0);
    EXPECT_EQ(Lines(ReadFile(dir.File("p.csv"))).size(), 4u);

    CliRun report = Cli(data, {"report", "--patient", kId, "--out", dir.File("p.pdf")});
    ASSERT_EQ(report.code, 0) << report.err;
    std::string text = PdfText(dir, dir.File("p.pdf"));
    for (const std::string& expected :
         {std::string("QuorinA1c Patient Report"), std::string("Operator: Basis"),
          "Patient: " + kId, std::string("Period: All results"), std::string("> 14 %"),
          std::string("142 mg/dL"), std::string("Page 1")}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    }
    EXPECT_EQ(text.find("6.0 %"), std::string::npos) << "another patient";
    CliRun audit = Cli(data, {"audit", "--patient", kId});
    EXPECT_NE(
        audit.out.find("patient report of 3 HbA1c and 1 glucose results to " + dir.File("p.pdf")),
        std::string::npos)
        << audit.out;
    ASSERT_EQ(Cli(data, {"report", "--patient", kId, "--from", "20240301", "--to", "20240331",
                         "--out", dir.File("march.pdf")})
                  .code,
              0);
    text = PdfText(dir, dir.File("march.pdf"));
    EXPECT_NE(text.find("Period: 2024-03-01 - 2024-03-31"), std::string::npos) << text;
    EXPECT_EQ(text.find("7.2 %"), std::string::npos) << "outside the period";

    // The data report's header names clinic, operator, kind and period.
    ASSERT_EQ(Cli(data, {"settings", "set", "Hospital=Seoul Clinic"}).code, 0);
    ASSERT_EQ(Cli(data, {"report", "--weeks", "2", "--out", dir.File("r.pdf")}).code, 0);
    text = PdfText(dir, dir.File("r.pdf"));
    for (const char* expected : {"QuorinA1c Self Report", "Clinic: Seoul Clinic", "Operator: Basis",
                                 "Result kind: HbA1c", "Period: 2024-05-27 - 2024-06-10"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    }
}

// Records of one patient that disagree about the name or the birth date: `patients` lists every
// variant with its count and marks the line, the patient report warns above the figures; and
// --patient takes a whole ID as the window's search does, a prefix never standing for another.
TEST(CliPatients, DisagreeingRecordsAreShownAndPatientIdsAreWhole) {
    TempDir dir;
    const std::string data = dir.File("data");
    ASSERT_EQ(Cli(data, {"list"}).code, 0);
    ASSERT_EQ(Cli(data, {"settings", "set", "lang=1"}).code, 0);
    {
        HbA1cTable hba1c;
        ASSERT_TRUE(hba1c.SetTableName(kMainTableName));
        ASSERT_TRUE(hba1c.OpenOrCreate(data + "/Basis_HbA1c.sqlite"));
        for (const char* date : {"20240101", "20240201", "20240301"}) {
            AddRow(hba1c, date, "0700", "P1005", "Choi Minjun", "19700505");
        }
        AddRow(hba1c, "20240401", "0710", "P1005", "Lee SeoyunX", "19700506");
        AddRow(hba1c, "20240102", "0650", "P1001", "Lim Hajun", "19800101");
        AddRow(hba1c, "20240103", "0660", "P10010", "Kim", "19751224");
        AddRow(hba1c, "20240104", "0670", "ab7");
        AddRow(hba1c, "20240105", "0680", "AB7");
    }
    CliRun patients = Cli(data, {"patients"});
    ASSERT_EQ(patients.code, 0) << patients.err;
    const auto lines = Lines(patients.out);
    ASSERT_EQ(lines.size(), 6u) << patients.out;
    EXPECT_EQ(lines[4], "P1005\t4\t2024-04-01\t7.1 %\tChoi Minjun (3) | Lee SeoyunX (1)\t"
                        "1970-05-05 (3) | 1970-05-06 (1)\tDISAGREE");
    EXPECT_EQ(lines[2], "P1001\t1\t2024-01-02\t6.5 %\tLim Hajun\t1980-01-01\t");

    CliRun exact = Cli(data, {"list", "--patient", " p1001 "});
    ASSERT_EQ(exact.code, 0) << exact.err;
    ASSERT_EQ(Lines(exact.out).size(), 2u) << exact.out << "P10010 is another patient";
    EXPECT_NE(exact.out.find(",P1001,"), std::string::npos) << exact.out;
    EXPECT_EQ(Lines(Cli(data, {"list", "--patient", "P100"}).out).size(), 1u)
        << "part of an ID lists nobody";
    CliRun both = Cli(data, {"list", "--patient", "Ab7"});
    EXPECT_EQ(both.code, 1) << "two stored IDs differ only in case";
    EXPECT_NE(both.err.find("(AB7, ab7)"), std::string::npos) << both.err;
    CliRun stored = Cli(data, {"list", "--patient", "AB7"});
    ASSERT_EQ(stored.code, 0) << stored.err;
    EXPECT_EQ(Lines(stored.out).size(), 2u) << "the exact spelling is the one meant";

    CliRun report =
        Cli(data, {"report", "--patient", "p1005", "--weeks", "1", "--out", dir.File("p.pdf")});
    ASSERT_EQ(report.code, 0) << report.err;
    const std::string text = PdfText(dir, dir.File("p.pdf"));
    for (const std::string& expected :
         {std::string("Patient: P1005 Choi Minjun / Lee SeoyunX"),
          std::string("Warning: the records of this patient disagree"),
          std::string("Names on the records: Choi Minjun (3 results), Lee SeoyunX (1 result)"),
          std::string("Birth dates on the records: 1970-05-05 (3 results), 1970-05-06 (1 "
                      "result)")}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    }
}
