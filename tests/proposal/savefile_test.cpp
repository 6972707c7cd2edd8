// Saving into the file: all or nothing.
#include "proposal/savefile.h"

#include "proposalfixture.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

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
#ifndef _WIN32
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
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

// What the file system allows, case by case: the bytes each file ends with, the names left in
// the folders, the permission bits and the message. Permission cases mean nothing to the
// superuser, so as root the table runs again as "nobody".
TEST(SaveFile, FileSystemCases)
{
    if (ofx::test::ranAsUnprivileged())
        return;
    using fs::perms;
    constexpr perms rw = perms::owner_read | perms::owner_write | perms::group_read;  // 0640
    constexpr perms ro = perms::owner_read | perms::group_read | perms::others_read;  // 0444
    constexpr perms openFolder = perms::owner_all;
    constexpr perms closedFolder = perms::owner_read | perms::owner_exec;
    const std::string protectedFile = "N\xE3o foi poss\xEDvel gravar o arquivo \"@\": o arquivo est\xE1 protegido contra grava\xE7\xE3o.";
    struct Case {
        const char* name;
        bool exists = true;  // the file is there before saving
        perms file = rw;
        perms folder = openFolder;
        bool link = false;           // the path saved to is a link to the file, which lies in a folder "real"
        std::error_code flush{};     // what flushing gives (none: the real flush)
        std::size_t room = 0;        // bytes written before the write fails; 0: no failure
        bool saved = true;           // the file holds the proposal afterwards (else its old bytes)
        bool inPlace = false;
        std::string error{};         // "@": the path saved to; "#": its folder
        bool posixOnly = true;       // Windows has neither these permissions nor links to files
    };
    const Case cases[] = {
        {.name = "writable file, writable folder: replaced, bits kept", .posixOnly = false},
        {.name = "read-only file, writable folder: refused", .file = ro, .saved = false, .error = protectedFile,
         .posixOnly = false},
        {.name = "read-only file, read-only folder: refused", .file = ro, .folder = closedFolder, .saved = false,
         .error = protectedFile},
        {.name = "writable file, read-only folder: written in place", .folder = closedFolder, .inPlace = true},
        {.name = "no file, read-only folder: refused", .exists = false, .folder = closedFolder, .saved = false,
         .error = "N\xE3o foi poss\xEDvel gravar na pasta \"#\": sem permiss\xE3o de grava\xE7\xE3o."},
        {.name = "link: the file it points to is replaced", .link = true},
        {.name = "link to a read-only file: refused", .file = ro, .link = true, .saved = false, .error = protectedFile},
        {.name = "link, file in a read-only folder: written in place", .folder = closedFolder, .link = true,
         .inPlace = true},
        {.name = "flush not supported (EINVAL): saved", .flush = std::make_error_code(std::errc::invalid_argument),
         .posixOnly = false},
        {.name = "flush not supported (ENOTSUP): saved", .flush = std::make_error_code(std::errc::not_supported),
         .posixOnly = false},
        {.name = "flush fails (EIO): refused", .flush = std::make_error_code(std::errc::io_error), .saved = false,
         .error = "N\xE3o foi poss\xEDvel gravar o arquivo \"@\": erro de leitura ou grava\xE7\xE3o no disco.",
         .posixOnly = false},
        {.name = "write fails part-way: nothing replaced", .room = 40, .saved = false,
         .error = "N\xE3o foi poss\xEDvel gravar o arquivo \"@\": a grava\xE7\xE3o foi interrompida.",
         .posixOnly = false},
        {.name = "in place, write fails part-way: old bytes written back", .folder = closedFolder, .room = 40,
         .saved = false, .error = "N\xE3o foi poss\xEDvel gravar o arquivo \"@\": a grava\xE7\xE3o foi interrompida."},
        {.name = "in place, flush fails (EIO): old bytes written back", .folder = closedFolder,
         .flush = std::make_error_code(std::errc::io_error), .saved = false,
         .error = "N\xE3o foi poss\xEDvel gravar o arquivo \"@\": erro de leitura ou grava\xE7\xE3o no disco."},
        {.name = "in place, flush not supported (EINVAL): saved", .folder = closedFolder,
         .flush = std::make_error_code(std::errc::invalid_argument), .inPlace = true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
#ifdef _WIN32
        if (c.posixOnly)
            continue;
#endif
        TempDir dir;
        const fs::path folder = c.link ? dir.file("real") : dir.path();
        fs::create_directories(folder);
        const fs::path file = folder / "proposta.TXT";
        const fs::path saved = c.link ? dir.file("link.TXT") : file;
        if (c.exists) {
            ASSERT_TRUE(writeFile(file, original));
            fs::permissions(file, c.file);
        }
        if (c.link)
            fs::create_symlink("real/proposta.TXT", saved);
        fs::permissions(folder, c.folder);

        Proposal p;
        ASSERT_TRUE(p.load(original + "A|3|c|5|6|30|||||\r\n").ok);
        SaveOptions options;
        if (c.flush)
            options.flush = [&] { return c.flush; };
        if (c.room > 0)
            options.wrapSink = [&](ByteSink& sink) { return std::make_unique<FullDisk>(sink, c.room); };
        const SaveResult r = saveProposalFile(saved, p.lots, p.items, p.vars, {}, options);
        const auto folderNames = filesIn(folder);
        fs::permissions(folder, openFolder);

        EXPECT_EQ(r.ok, c.saved) << r.error;
        EXPECT_EQ(r.inPlace, c.inPlace);
        std::string error = c.error;
        if (const auto at = error.find('@'); at != std::string::npos)
            error.replace(at, 1, saved.string());
        if (const auto at = error.find('#'); at != std::string::npos)
            error.replace(at, 1, folder.string());
        EXPECT_EQ(r.error, error);
        if (c.exists) {
            EXPECT_EQ(readFile(file), c.saved ? p.write() : original);
        }
        EXPECT_EQ(folderNames, c.exists ? std::vector<std::string>{"proposta.TXT"} : std::vector<std::string>{});
#ifndef _WIN32
        if (c.exists) {
            EXPECT_EQ(fs::status(file).permissions(), c.file);
        }
        if (c.link) {
            EXPECT_TRUE(fs::is_symlink(fs::symlink_status(saved)));
            EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"link.TXT", "real"}));
        }
#endif
    }
}

// The file written in place is the same file (hard links and other names of it follow), and a
// proposal refused for its contents does not empty it.
TEST(SaveFile, InPlaceKeepsTheFile)
{
    if (ofx::test::ranAsUnprivileged())
        return;
#ifdef _WIN32
    GTEST_SKIP() << "a folder that takes no new file needs Windows access lists";
#else
    TempDir dir;
    const fs::path target = dir.file("proposta.TXT");
    ASSERT_TRUE(writeFile(target, original));
    const auto links = fs::hard_link_count(target);
    fs::create_hard_link(target, dir.file("outro_nome.TXT"));
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);

    Proposal bad;
    ASSERT_TRUE(bad.load(lines({"H|M|2025|1|1|L||0|", "A|1|a|dez|||||||"})).ok);
    const SaveResult refused = saveProposalFile(target, bad.lots, bad.items, bad.vars, {});
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(readFile(target), original);

    Proposal p;
    ASSERT_TRUE(p.load(original).ok);
    const SaveResult r = saveProposalFile(target, p.lots, p.items, p.vars, {});
    fs::permissions(dir.path(), fs::perms::owner_all);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.inPlace);
    EXPECT_EQ(p.vars.vNoLote, "00001");
    EXPECT_EQ(fs::hard_link_count(target), links + 1);
    EXPECT_EQ(readFile(dir.file("outro_nome.TXT")), p.write());
#endif
}

#ifndef _WIN32
// The new file keeps the owner and group of the file it replaces, where the process may give
// them (the superuser may).
TEST(SaveFile, KeepsOwnerAndGroup)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only the superuser may give a file to another user";
    TempDir dir;
    const fs::path target = dir.file("proposta.TXT");
    ASSERT_TRUE(writeFile(target, original));
    constexpr uid_t someone = 65534;
    ASSERT_EQ(::chown(target.c_str(), someone, someone), 0);
    Proposal p;
    ASSERT_TRUE(p.load(original).ok);
    const SaveResult r = saveProposalFile(target, p.lots, p.items, p.vars, {});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_FALSE(r.inPlace);
    struct ::stat st{};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, someone);
    EXPECT_EQ(st.st_gid, someone);
    EXPECT_EQ(readFile(target), p.write());
}
#endif

}  // namespace
