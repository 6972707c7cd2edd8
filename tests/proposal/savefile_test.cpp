// Saving into the file: all or nothing.
#include "proposal/savefile.h"

#include "proposalfixture.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {

using namespace ofx::proposal;
namespace fs = std::filesystem;
using ofx::test::lines;
using ofx::test::Proposal;
using ofx::test::readFile;
using ofx::test::TempDir;
using ofx::test::writeFile;

const std::string original = lines({"H|M|2025|1|1|L||0|", "A|1|a|1|2|2|||||", "A|2|b|3|4|12|||||"});

// Every file of the folder: nothing but the target may be left behind.
std::vector<std::string> filesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SaveFile, ReplacesTheTargetWithTheWholeProposal)
{
    TempDir dir;
    const fs::path target = dir.file("proposta_00000000000000.TXT");
    ASSERT_TRUE(writeFile(target, original));
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    Proposal p;
    ASSERT_TRUE(p.load(original).ok);
    p.vars.vNoLote = "antes";
    int progress = 0;
    SaveOptions options;
    options.progress = [&](int n) { progress = n; };
    const SaveResult r = saveProposalFile(target, p.lots, p.items, p.vars, {"15/03/2025", "", ""}, options);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.itemLines, 2);
    EXPECT_EQ(progress, 2);
    EXPECT_EQ(p.vars.vNoLote, "00001");
    EXPECT_EQ(readFile(target), p.write({"15/03/2025", "", ""}));
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"proposta_00000000000000.TXT"});
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(SaveFile, CreatesANewTarget)
{
    TempDir dir;
    Proposal p;
    ASSERT_TRUE(p.load(original).ok);
    const SaveResult r = saveProposalFile(dir.file("nova.TXT"), p.lots, p.items, p.vars, {});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(readFile(dir.file("nova.TXT")), p.write());
}

// A sink that forwards the first `room` bytes to the file and then fails, as a full disk does.
class FullDisk : public ByteSink {
public:
    FullDisk(ByteSink& file, std::size_t room) : file_(file), room_(room) {}
    bool write(std::string_view bytes) override
    {
        if (bytes.size() > room_) {
            file_.write(bytes.substr(0, room_));
            room_ = 0;
            return false;
        }
        room_ -= bytes.size();
        return file_.write(bytes);
    }

private:
    ByteSink& file_;
    std::size_t room_;
};

TEST(SaveFile, FailuresLeaveTheTargetAsItWas)
{
    struct Case {
        const char* name;
        std::string file;  // what is loaded
        std::size_t room;  // bytes the disk takes; 0: unlimited
        std::string error;
    };
    // Big enough to go to the sink in several blocks.
    std::string big = "H|M|2025|1|1|L||0|\r\n";
    for (int i = 1; i <= 300; ++i)
        big += "A|" + std::to_string(i) + "|item|1|1|1|||||\r\n";
    const Case cases[] = {
        {"disk full part-way", big, 300 * 1024, "N\xE3o foi poss\xEDvel gravar o arquivo \"@\": a grava\xE7\xE3o foi interrompida."},
        {"quantity with letters", lines({"H|M|2025|1|1|L||0|", "A|1|a|dez|||||||"}),  0,
         "N\xE3o \xE9 poss\xEDvel gravar a proposta: a quantidade \"dez\" do item 1 do lote 1 n\xE3o \xE9 um n\xFAmero."},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const fs::path target = dir.file("proposta.TXT");
        ASSERT_TRUE(writeFile(target, original));
        Proposal p;
        ASSERT_TRUE(p.load(c.file).ok) << c.name;
        SaveOptions options;
        if (c.room > 0)
            options.wrapSink = [&](ByteSink& file) { return std::make_unique<FullDisk>(file, c.room); };
        const SaveResult r = saveProposalFile(target, p.lots, p.items, p.vars, {}, options);
        EXPECT_FALSE(r.ok) << c.name;
        std::string error = c.error;
        if (const auto at = error.find('@'); at != std::string::npos)
            error.replace(at, 1, target.string());
        EXPECT_EQ(r.error, error) << c.name;
        EXPECT_EQ(readFile(target), original) << c.name;
        EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"proposta.TXT"}) << c.name;
        EXPECT_EQ(p.vars.vNoLote, "1") << c.name;
    }
}

TEST(SaveFile, FolderThatCannotBeWritten)
{
    TempDir dir;
    Proposal p;
    ASSERT_TRUE(p.load(original).ok);
    // A "folder" that is a file cannot take the temporary file, whoever runs the test.
    ASSERT_TRUE(writeFile(dir.file("arquivo"), "x"));
    const SaveResult notAFolder = saveProposalFile(dir.file("arquivo") / "proposta.TXT", p.lots, p.items, p.vars, {});
    EXPECT_FALSE(notAFolder.ok);
    EXPECT_EQ(notAFolder.error, "N\xE3o foi poss\xEDvel gravar na pasta \"" + dir.file("arquivo").string()
                                    + "\": a pasta n\xE3o existe.");
}

TEST(SaveFile, ReadOnlyFolder)
{
    TempDir dir;
    Proposal p;
    ASSERT_TRUE(p.load(original).ok);
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop the superuser";
    const fs::path target = dir.file("proposta.TXT");
    ASSERT_TRUE(writeFile(target, original));
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    const SaveResult readOnly = saveProposalFile(target, p.lots, p.items, p.vars, {});
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_FALSE(readOnly.ok);
    EXPECT_EQ(readOnly.error, "N\xE3o foi poss\xEDvel gravar na pasta \"" + dir.path().string()
                                  + "\": sem permiss\xE3o de grava\xE7\xE3o.");
    EXPECT_EQ(readFile(target), original);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"proposta.TXT"});
}

}  // namespace
