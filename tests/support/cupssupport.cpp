#include "cupssupport.h"

#include "testsupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sys/wait.h>
#include <thread>

namespace fs = std::filesystem;

namespace ofx::test {

namespace {

std::string quoted(const std::string& s)
{
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

fs::path cupsDir()
{
    const char* dir = std::getenv("OFX_CUPS_DIR");
    return dir ? fs::path(dir) : fs::path();
}

}  // namespace

std::string shellOutput(const std::string& command, int* exit)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "could not run " << command;
        return out;
    }
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    const int status = pclose(pipe);
    if (exit)
        *exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

std::optional<std::string> useTestCupsServer()
{
    const fs::path dir = cupsDir();
    if (dir.empty())
        return "OFX_CUPS_DIR not set: run the test through ctest";
    if (fs::exists(dir / "unavailable"))
        return readFile(dir / "unavailable");
    const fs::path socket = dir / "run" / "cups.sock";
    if (!fs::exists(socket))
        return "no test CUPS daemon at " + dir.string();
    setenv("CUPS_SERVER", socket.c_str(), 1);
    return std::nullopt;
}

fs::path waitForPrintedPdf(const std::string& printer, const std::string& title)
{
    const fs::path out = cupsDir() / (printer == "ofertix-margens" ? "out-margens" : "out");
    // A job takes seconds; the bound is only there so that a lost job fails instead of hanging.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
    while (std::chrono::steady_clock::now() < deadline) {
        const bool idle = shellOutput("lpstat -o " + quoted(printer) + " 2>/dev/null").empty();
        if (idle) {
            std::error_code ec;
            for (const auto& entry : fs::directory_iterator(out, ec))
                if (entry.path().filename().string().rfind(title, 0) == 0)
                    return entry.path();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ADD_FAILURE() << "no PDF titled " << title << " from " << printer << "; jobs:\n"
                  << shellOutput("lpstat -W all -o 2>&1") << "log:\n"
                  << shellOutput("tail -20 " + quoted((cupsDir() / "log" / "error_log").string()));
    return {};
}

PdfFacts pdfFacts(const fs::path& pdf)
{
    PdfFacts facts;
    const std::string info = shellOutput("pdfinfo " + quoted(pdf.string()));
    std::smatch m;
    if (std::regex_search(info, m, std::regex(R"re(Pages:\s+(\d+))re")))
        facts.pages = std::stoi(m[1]);
    if (std::regex_search(info, m, std::regex(R"re(Page size:\s+([\d.]+) x ([\d.]+))re"))) {
        facts.width = std::stod(m[1]);
        facts.height = std::stod(m[2]);
    }
    // A line's words follow each other along the line: along x for text across a page in
    // landscape, along y for a landscape page laid sideways on a portrait sheet.
    const std::string boxes = shellOutput("pdftotext -f 1 -l 1 -bbox-layout " + quoted(pdf.string()) + " -");
    const std::regex line(R"re(<line xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">)re");
    if (std::regex_search(boxes, m, line)) {
        const double w = std::stod(m[3]) - std::stod(m[1]), h = std::stod(m[4]) - std::stod(m[2]);
        facts.textAlongLongSide = (facts.width >= facts.height) == (w > h);
    }
    return facts;
}

std::string pdfText(const fs::path& pdf, int first, int last)
{
    std::string command = "pdftotext -layout -f " + std::to_string(first);
    if (last > 0)
        command += " -l " + std::to_string(last);
    const std::string raw = shellOutput(command + " " + quoted(pdf.string()) + " -");
    std::string squeezed;
    for (char c : raw) {
        const bool blank = c == ' ' || c == '\t';
        if (c == '\n' && !squeezed.empty() && squeezed.back() == ' ')
            squeezed.back() = '\n';
        else if (c == '\n' && !squeezed.empty() && squeezed.back() == '\n')
            continue;
        else if (!blank || (!squeezed.empty() && squeezed.back() != ' ' && squeezed.back() != '\n'))
            squeezed += blank ? ' ' : c;
    }
    return squeezed;
}

::testing::AssertionResult sameText(const std::string& printed, const std::string& expected)
{
    if (printed == expected)
        return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < printed.size() && at < expected.size() && printed[at] == expected[at])
        ++at;
    const size_t from = at > 80 ? at - 80 : 0;
    return ::testing::AssertionFailure()
           << "texts differ at character " << at << " (" << printed.size() << " vs "
           << expected.size() << " characters)\nprinted:  ..." << printed.substr(from, 200)
           << "\nexpected: ..." << expected.substr(from, 200);
}

}  // namespace ofx::test
