#include "proposal/savefile.h"

#include "proposal/messages.h"
#include "text/paths.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ofx::proposal {

namespace fs = std::filesystem;

namespace {

using detail::cp;

std::string quoted(const fs::path& p) { return "\"" + text::pathToCp1252(p) + "\""; }

// The error the last system call left: errno on Linux, GetLastError() on Windows.
std::error_code lastError()
{
#ifdef _WIN32
    return {static_cast<int>(::GetLastError()), std::system_category()};
#else
    return {errno, std::generic_category()};
#endif
}

// Why a file operation failed, in words the supplier can act on. An empty error is a sink that
// gave up without a system error (the write was cut short).
std::string reason(const std::error_code& error)
{
    if (!error)
        return cp("a gravação foi interrompida.");
#ifdef _WIN32
    if (error.category() == std::system_category()) {
        switch (error.value()) {
        case ERROR_ACCESS_DENIED:
        case ERROR_PRIVILEGE_NOT_HELD:
            return cp("sem permissão de gravação.");
        case ERROR_WRITE_PROTECT:
            return cp("o disco só permite leitura.");
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return cp("não há espaço livre no disco.");
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_NETPATH:
            return cp("a pasta não existe.");
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return cp("o arquivo está aberto em outro programa.");
        case ERROR_CRC:
        case ERROR_GEN_FAILURE:
        case ERROR_IO_DEVICE:
            return cp("erro de leitura ou gravação no disco.");
        default:
            return cp("erro do sistema nº ") + std::to_string(error.value()) + ".";
        }
    }
#endif
    const std::error_condition c = error.default_error_condition();
    if (c == std::errc::permission_denied || c == std::errc::operation_not_permitted)
        return cp("sem permissão de gravação.");
    if (c == std::errc::read_only_file_system)
        return cp("o disco só permite leitura.");
#ifdef EDQUOT
    if (c == std::error_condition(EDQUOT, std::generic_category()))
        return cp("não há espaço livre no disco.");
#endif
    if (c == std::errc::no_space_on_device)
        return cp("não há espaço livre no disco.");
    if (c == std::errc::no_such_file_or_directory || c == std::errc::not_a_directory)
        return cp("a pasta não existe.");
    if (c == std::errc::is_a_directory)
        return cp("o destino é uma pasta.");
    if (c == std::errc::io_error)
        return cp("erro de leitura ou gravação no disco.");
    return cp("erro do sistema nº ") + std::to_string(error.value()) + ".";
}

bool isPermission(const std::error_code& error)
{
#ifdef _WIN32
    if (error.category() == std::system_category())
        return error.value() == ERROR_ACCESS_DENIED;
#endif
    return error == std::errc::permission_denied || error == std::errc::operation_not_permitted;
}

// A file system that has no flush to offer (network and FUSE mounts): the data is with it already.
bool flushUnsupported(const std::error_code& error)
{
#ifdef _WIN32
    if (error.category() == std::system_category())
        return error.value() == ERROR_INVALID_FUNCTION || error.value() == ERROR_NOT_SUPPORTED
               || error.value() == ERROR_INVALID_PARAMETER;
#endif
    return error == std::errc::invalid_argument || error == std::errc::not_supported
           || error == std::errc::operation_not_supported;
}

// An open file, written with the system's own calls so that it can be flushed to disk.
class SystemFile {
public:
    SystemFile() = default;
    SystemFile(const SystemFile&) = delete;
    SystemFile& operator=(const SystemFile&) = delete;
    ~SystemFile() { close(); }

    // A new file that did not exist; false (with the error) when it cannot be created.
    bool createNew(const fs::path& p, std::error_code& error)
    {
#ifdef _WIN32
        handle_ = ::CreateFileW(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
#else
        fd_ = ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
        return opened(error);
    }

    // An existing file, for writing (and reading when asked), left as it is. Windows: written
    // into, it is shared for reading only; opened only to learn whether it may be written, with
    // every other opener.
    bool openExisting(const fs::path& p, bool alsoRead, std::error_code& error)
    {
#ifdef _WIN32
        const DWORD access = GENERIC_WRITE | (alsoRead ? GENERIC_READ : 0);
        const DWORD share = alsoRead ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        handle_ = ::CreateFileW(p.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
#else
        fd_ = ::open(p.c_str(), (alsoRead ? O_RDWR : O_WRONLY) | O_CLOEXEC | O_NOCTTY);
#endif
        return opened(error);
    }

    bool write(std::string_view bytes, std::error_code& error)
    {
        while (!bytes.empty()) {
#ifdef _WIN32
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
            DWORD n = 0;
            if (!::WriteFile(handle_, bytes.data(), chunk, &n, nullptr)) {
                error = lastError();
                return false;
            }
#else
            const ::ssize_t n = ::write(fd_, bytes.data(), bytes.size());
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                error = lastError();
                return false;
            }
#endif
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }

    // The whole file from its start.
    bool readAll(std::string& bytes, std::error_code& error)
    {
        bytes.clear();
        char buffer[65536];
        for (;;) {
#ifdef _WIN32
            DWORD n = 0;
            if (!::ReadFile(handle_, buffer, sizeof buffer, &n, nullptr)) {
                error = lastError();
                return false;
            }
#else
            const ::ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                error = lastError();
                return false;
            }
#endif
            if (n == 0)
                return true;
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
    }

    // Empties the file; the next write goes to its start.
    bool truncate(std::error_code& error)
    {
#ifdef _WIN32
        LARGE_INTEGER start{};
        if (!::SetFilePointerEx(handle_, start, nullptr, FILE_BEGIN) || !::SetEndOfFile(handle_)) {
#else
        if (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0) {
#endif
            error = lastError();
            return false;
        }
        return true;
    }

    std::error_code flush()
    {
#ifdef _WIN32
        if (!::FlushFileBuffers(handle_))
            return lastError();
#else
        if (::fsync(fd_) != 0)
            return lastError();
#endif
        return {};
    }

    std::error_code close()
    {
        std::error_code error;
#ifdef _WIN32
        if (handle_ != INVALID_HANDLE_VALUE && !::CloseHandle(handle_))
            error = lastError();
        handle_ = INVALID_HANDLE_VALUE;
#else
        if (fd_ >= 0 && ::close(fd_) != 0)
            error = lastError();
        fd_ = -1;
#endif
        return error;
    }

#ifndef _WIN32
    int descriptor() const { return fd_; }
#endif

private:
    bool opened(std::error_code& error)
    {
#ifdef _WIN32
        const bool ok = handle_ != INVALID_HANDLE_VALUE;
#else
        const bool ok = fd_ >= 0;
#endif
        if (!ok)
            error = lastError();
        return ok;
    }

#ifdef _WIN32
    HANDLE handle_ = INVALID_HANDLE_VALUE;
#else
    int fd_ = -1;
#endif
};

// The file's sink for the writer; keeps the error of the write that failed.
class FileSink : public ByteSink {
public:
    explicit FileSink(SystemFile& file) : file_(file) {}
    bool write(std::string_view bytes) override { return file_.write(bytes, error_); }
    const std::error_code& error() const { return error_; }

protected:
    SystemFile& file_;
    std::error_code error_;
};

// Writing in place: the file is emptied only when the first bytes come, so a proposal that
// fails before writing anything leaves it untouched.
class InPlaceSink : public FileSink {
public:
    using FileSink::FileSink;
    bool write(std::string_view bytes) override
    {
        if (!touched_) {
            touched_ = true;
            if (!file_.truncate(error_))
                return false;
        }
        return FileSink::write(bytes);
    }
    bool touched() const { return touched_; }

private:
    bool touched_ = false;
};

// The file a path names, through any symbolic links (a relative link is read from its own
// folder). A path that is no link, or a link that cannot be read, is returned as it is.
fs::path throughLinks(fs::path p)
{
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(p, ec)) || ec)
            return p;
        const fs::path to = fs::read_symlink(p, ec);
        if (ec)
            return p;
        p = to.is_absolute() ? to : p.parent_path() / to;
    }
    return p;
}

// A new file beside target that no one else uses.
bool createTemporary(SystemFile& file, const fs::path& folder, const fs::path& target, fs::path& created,
                     std::error_code& error)
{
    std::random_device rd;
    std::mt19937_64 random((static_cast<std::uint64_t>(rd()) << 32) ^ rd());
    const std::u8string base = u8"." + target.filename().u8string() + u8".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, "%016llx.tmp", static_cast<unsigned long long>(random()));
        const fs::path candidate = folder / (base + std::u8string(suffix, suffix + std::char_traits<char>::length(suffix)));
        if (file.createNew(candidate, error)) {
            created = candidate;
            return true;
        }
        if (error != std::errc::file_exists
#ifdef _WIN32
            && error.value() != ERROR_FILE_EXISTS && error.value() != ERROR_ALREADY_EXISTS
#endif
        )
            return false;
    }
    return false;
}

// Whether the user may write the existing file where it is: a protected file is not replaced,
// although its folder alone would allow that.
std::error_code writableInPlace(const fs::path& p)
{
#ifdef _WIN32
    const DWORD attributes = ::GetFileAttributesW(p.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return {ERROR_ACCESS_DENIED, std::system_category()};
#endif
    SystemFile file;
    std::error_code error;
    file.openExisting(p, false, error);
    return error;
}

// What the new file takes over from the one it replaces.
void copyMetadata([[maybe_unused]] SystemFile& temporary, [[maybe_unused]] const fs::path& previous)
{
#ifdef _WIN32
    // Permissions come with the folder; the attributes (hidden, archive...) are set once the file
    // is closed (see keepAttributes).
#else
    struct ::stat st{};
    if (::stat(previous.c_str(), &st) != 0)
        return;
    const int fd = temporary.descriptor();
    // Owner and group where the process may give them; a user may still give a group of its own.
    // Where neither is allowed, the new file stays the user's own.
    [[maybe_unused]] const bool owned =
        ::fchown(fd, st.st_uid, st.st_gid) == 0 || ::fchown(fd, static_cast<uid_t>(-1), st.st_gid) == 0;
    // After the owner: changing it clears the set-id bits.
    [[maybe_unused]] const bool moded = ::fchmod(fd, st.st_mode & 07777) == 0;
#endif
}

#ifdef _WIN32
void keepAttributes(const fs::path& temporary, const fs::path& previous)
{
    const DWORD attributes = ::GetFileAttributesW(previous.c_str());
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE
                       | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kept))
        ::SetFileAttributesW(temporary.c_str(), attributes & kept);
}
#endif

// Puts the complete temporary file in place of target in one step.
std::error_code replace(const fs::path& temporary, const fs::path& target)
{
#ifdef _WIN32
    if (!::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return lastError();
#else
    if (::rename(temporary.c_str(), target.c_str()) != 0)
        return lastError();
#endif
    return {};
}

// Makes the rename itself durable; a folder that cannot be flushed is not an error.
void syncFolder([[maybe_unused]] const fs::path& folder)
{
#ifndef _WIN32
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

std::error_code flushFile(SystemFile& file, const SaveOptions& options)
{
    const std::error_code error = options.flush ? options.flush() : file.flush();
    return flushUnsupported(error) ? std::error_code{} : error;
}

std::string fileError(const fs::path& target, const std::error_code& error)
{
    return cp("Não foi possível gravar o arquivo ") + quoted(target) + ": " + reason(error);
}

struct Written {
    WriteResult result;
    std::error_code sinkError;
};

Written writeInto(FileSink& file, data::MemTable& lots, data::MemTable& items, ProcessVariables& vars,
                  const ProposalTexts& texts, const SaveOptions& options)
{
    std::unique_ptr<ByteSink> wrapper = options.wrapSink ? options.wrapSink(file) : nullptr;
    ByteSink& sink = wrapper ? *wrapper : file;
    Written w;
    w.result = writeProposal(sink, lots, items, vars, texts, options.progress);
    w.sinkError = file.error();
    return w;
}

// The folder takes no new file: the target itself is emptied and written, and given back its
// previous bytes when that fails part-way. The folder's error is told when the target cannot
// even be read and written.
SaveResult saveInPlace(const fs::path& target, const fs::path& real, const std::string& folderError,
                       data::MemTable& lots, data::MemTable& items, ProcessVariables& vars, const ProposalTexts& texts,
                       const SaveOptions& options)
{
    SaveResult result;
    SystemFile file;
    std::error_code error;
    std::string previous;
    if (!file.openExisting(real, true, error) || !file.readAll(previous, error)) {
        result.error = folderError;
        return result;
    }

    InPlaceSink sink(file);
    const Written written = writeInto(sink, lots, items, vars, texts, options);
    if (written.result.ok) {
        error = flushFile(file, options);
        if (!error)
            error = file.close();
        if (!error) {
            if (written.result.itemLines > 0)
                vars.vNoLote = written.result.lastLotNumber;
            result.ok = true;
            result.inPlace = true;
            result.itemLines = written.result.itemLines;
            return result;
        }
    } else {
        error = written.sinkError;
    }

    result.error = written.result.ok || written.result.sinkFailed ? fileError(target, error) : written.result.error;
    result.failedItem = written.result.failedItem;
    if (sink.touched()) {
        std::error_code ignored;
        if (!file.truncate(ignored) || !file.write(previous, ignored) || file.flush())
            result.error += cp(" O conteúdo anterior do arquivo não pôde ser restaurado.");
    }
    return result;
}

}  // namespace

SaveResult saveProposalFile(const fs::path& target, data::MemTable& lots, data::MemTable& items,
                            ProcessVariables& vars, const ProposalTexts& texts, const SaveOptions& options)
{
    SaveResult result;
    // A link stays a link: the file it points to is the one replaced, in its own folder.
    const fs::path real = throughLinks(target);
    const fs::path folder = real.has_parent_path() ? real.parent_path() : fs::path(".");

    std::error_code ec;
    const bool existing = fs::is_regular_file(fs::status(real, ec));
    if (existing) {
        if (const std::error_code notWritable = writableInPlace(real)) {
            result.error = isPermission(notWritable)
                               ? cp("Não foi possível gravar o arquivo ") + quoted(target)
                                     + cp(": o arquivo está protegido contra gravação.")
                               : fileError(target, notWritable);
            return result;
        }
    }

    SystemFile file;
    fs::path temporary;
    std::error_code error;
    if (!createTemporary(file, folder, real, temporary, error)) {
        const std::string folderError = cp("Não foi possível gravar na pasta ") + quoted(folder) + ": " + reason(error);
        if (existing && isPermission(error))
            return saveInPlace(target, real, folderError, lots, items, vars, texts, options);
        result.error = folderError;
        return result;
    }
    auto discard = [&] {
        file.close();
        std::error_code ignored;
        fs::remove(temporary, ignored);
    };
    if (existing)
        copyMetadata(file, real);

    FileSink sink(file);
    const Written written = writeInto(sink, lots, items, vars, texts, options);
    if (!written.result.ok) {
        discard();
        // A failure of the sink (rather than of the proposal's contents) is told with its cause.
        result.error = written.result.sinkFailed ? fileError(target, written.sinkError) : written.result.error;
        result.failedItem = written.result.failedItem;
        return result;
    }
    error = flushFile(file, options);
    if (!error)
        error = file.close();
    if (error) {
        discard();
        result.error = fileError(target, error);
        return result;
    }
#ifdef _WIN32
    if (existing)
        keepAttributes(temporary, real);
#endif

    if (const std::error_code replaced = replace(temporary, real)) {
        discard();
        result.error = cp("Não foi possível substituir o arquivo ") + quoted(target) + ": " + reason(replaced);
        return result;
    }
    syncFolder(folder);

    if (written.result.itemLines > 0)
        vars.vNoLote = written.result.lastLotNumber;
    result.ok = true;
    result.itemLines = written.result.itemLines;
    return result;
}

}  // namespace ofx::proposal
