#pragma once
// The printing tests' side of the private CUPS daemon (scripts/cups-test-server.sh, started and
// stopped by CTest's "cups" fixture): where its PDF printers write, waiting for a job, and what
// a PDF holds (poppler-utils).
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

namespace ofx::test {

// Points this process and the programs it starts at the daemon (CUPS_SERVER). Returns why the
// daemon is not there (not root, no cups-pdf...), for GTEST_SKIP; nullopt when it is.
std::optional<std::string> useTestCupsServer();

// The file that printer (ofertix-pdf or ofertix-margens) wrote for the job titled title, once
// the printer has no job left to do; empty when none came (after a generous while).
std::filesystem::path waitForPrintedPdf(const std::string& printer, const std::string& title);

struct PdfFacts {
    int pages = 0;
    double width = 0, height = 0;  // of the first page, in points
    bool textAlongLongSide = false;  // the first page's first line of text
};
PdfFacts pdfFacts(const std::filesystem::path& pdf);

// Pages first..last (1-based; 0 for the end) as pdftotext -layout reads them, with runs of
// blanks and blank lines squeezed, so that column widths and scale do not matter.
std::string pdfText(const std::filesystem::path& pdf, int first = 1, int last = 0);

// Equal texts, or where they first differ (a short stretch of each, not whole reports).
::testing::AssertionResult sameText(const std::string& printed, const std::string& expected);

// Runs a shell command; its standard output, and its exit code in *exit.
std::string shellOutput(const std::string& command, int* exit = nullptr);

}  // namespace ofx::test
