#include "proposal/savefile.h"

#include "proposal/messages.h"
#include "text/cp1252.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ofx::proposal {

namespace fs = std::filesystem;

namespace {

using detail::cp;
using detail::errorText;

std::string quoted(const fs::path& p) { return "\"" + text::utf8ToCp1252(p.string()) + "\""; }

// Why a file operation failed, in words the supplier can act on.
std::string reason(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return cp("sem permissão de gravação.");
    case EROFS:
        return cp("o disco só permite leitura.");
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return cp("não há espaço livre no disco.");
    case ENOENT:
    case ENOTDIR:
        return cp("a pasta não existe.");
    case EISDIR:
        return cp("o destino é uma pasta.");
    case EIO:
        return cp("erro de leitura ou gravação no disco.");
    case 0:
        return cp("a gravação foi interrompida.");
    default:
        return cp("erro do sistema nº ") + std::to_string(error) + ".";
    }
}

// The temporary file, written with plain system calls so that it can be flushed to disk.
class FileSink : public ByteSink {
public:
    explicit FileSink(int fd) : fd_(fd) {}
    ~FileSink() override { close(); }

    bool write(std::string_view bytes) override
    {
        while (!bytes.empty()) {
            const ::ssize_t n = ::write(fd_, bytes.data(), bytes.size());
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                error_ = errno;
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }

    // Flushes to disk and closes; false (with error()) when either fails.
    bool finish()
    {
        if (::fsync(fd_) != 0) {
            error_ = errno;
            return false;
        }
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) {
            error_ = errno;
            return false;
        }
        return true;
    }

    void close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

    int error() const { return error_; }

private:
    int fd_;
    int error_ = 0;
};

// Creates a new file beside target that no one else uses; fd < 0 and errno set on failure.
int createTemporary(const fs::path& folder, const fs::path& target, fs::path& created)
{
    std::random_device rd;
    std::mt19937_64 random((static_cast<std::uint64_t>(rd()) << 32) ^ rd());
    const std::string base = "." + target.filename().string() + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, "%016llx.tmp", static_cast<unsigned long long>(random()));
        const fs::path candidate = folder / (base + suffix);
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            created = candidate;
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

// Makes the rename itself durable; a folder that cannot be flushed is not an error.
void syncFolder(const fs::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

SaveResult saveProposalFile(const fs::path& target, data::MemTable& lots, data::MemTable& items,
                            ProcessVariables& vars, const ProposalTexts& texts, const SaveOptions& options)
{
    SaveResult result;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");

    fs::path temporary;
    const int fd = createTemporary(folder, target, temporary);
    if (fd < 0) {
        result.error = cp("Não foi possível gravar na pasta ") + quoted(folder) + ": " + reason(errno);
        return result;
    }
    auto discard = [&] {
        std::error_code ec;
        fs::remove(temporary, ec);
    };

    FileSink file(fd);
    std::unique_ptr<ByteSink> wrapper = options.wrapSink ? options.wrapSink(file) : nullptr;
    ByteSink& sink = wrapper ? *wrapper : file;

    const WriteResult written = writeProposal(sink, lots, items, vars, texts, options.progress);
    wrapper.reset();
    if (!written.ok) {
        file.close();
        discard();
        // A failure of the sink (rather than of the proposal's contents) is told with its cause.
        result.error = written.sinkFailed
                           ? cp("Não foi possível gravar o arquivo ") + quoted(target) + ": " + reason(file.error())
                           : written.error;
        return result;
    }
    if (!file.finish()) {
        discard();
        result.error = cp("Não foi possível gravar o arquivo ") + quoted(target) + ": " + reason(file.error());
        return result;
    }

    // The saved file keeps the permissions of the file it replaces.
    std::error_code ec;
    const fs::file_status previous = fs::status(target, ec);
    if (!ec && fs::exists(previous))
        fs::permissions(temporary, previous.permissions(), ec);

    fs::rename(temporary, target, ec);
    if (ec) {
        discard();
        result.error = cp("Não foi possível substituir o arquivo ") + quoted(target) + ": " + reason(ec.value());
        return result;
    }
    syncFolder(folder);

    if (written.itemLines > 0)
        vars.vNoLote = written.lastLotNumber;
    result.ok = true;
    result.itemLines = written.itemLines;
    return result;
}

}  // namespace ofx::proposal
