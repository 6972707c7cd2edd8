#include "proposal/exchangereader.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <vector>

namespace ofx::proposal {

int fieldCount(LineKind kind)
{
    switch (kind) {
    case LineKind::Participant:
        return participantFieldCount;
    case LineKind::Lot:
        return lotFieldCount;
    case LineKind::Item:
        break;
    }
    return itemFieldCount;
}

SplitLine splitLine(std::string_view line)
{
    SplitLine s;
    std::string_view rest = line;
    if (const std::size_t bar = line.find('|'); bar != std::string_view::npos) {
        s.kindText = line.substr(0, bar);
        rest = line.substr(bar + 1);
    }
    if (s.kindText == "C")
        s.kind = LineKind::Participant;
    else if (s.kindText == "H")
        s.kind = LineKind::Lot;
    const int count = fieldCount(s.kind);
    for (int i = 0; i < count; ++i) {
        const std::size_t bar = rest.find('|');
        if (bar == std::string_view::npos)
            break;  // this field and every later one stay empty
        s.fields[static_cast<std::size_t>(i)] = rest.substr(0, bar);
        rest = rest.substr(bar + 1);
    }
    return s;
}

struct LineReader::Impl {
    explicit Impl(std::istream& s) : in(s), block(blockSize) {}
    static constexpr std::size_t blockSize = 256 * 1024;

    std::istream& in;
    std::vector<char> block;
    std::size_t pos = 0;
    std::size_t end = 0;
    bool dataEnded = false;  // end of stream or Ctrl-Z reached
    bool failed = false;
    long lineNumber = 0;
    std::string scratch;  // a line that spans blocks or holds a lone CR

    bool refill()
    {
        pos = end = 0;
        if (dataEnded)
            return false;
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        std::size_t n = static_cast<std::size_t>(in.gcount());
        if (in.bad())
            failed = true;
        if (n < block.size())
            dataEnded = true;
        if (const void* eof = std::memchr(block.data(), '\x1A', n)) {
            n = static_cast<std::size_t>(static_cast<const char*>(eof) - block.data());
            dataEnded = true;
        }
        end = n;
        return n > 0;
    }

    static void dropCarriageReturns(std::string& s) { s.erase(std::remove(s.begin(), s.end(), '\r'), s.end()); }
};

LineReader::LineReader(std::istream& in) : d(std::make_unique<Impl>(in)) {}
LineReader::~LineReader() = default;

bool LineReader::next(std::string_view& line)
{
    Impl& r = *d;
    bool pending = false;  // bytes of this line are in scratch
    for (;;) {
        if (r.pos == r.end && !r.refill()) {
            if (!pending || r.failed)
                return false;
            Impl::dropCarriageReturns(r.scratch);
            line = r.scratch;
            ++r.lineNumber;
            return true;
        }
        const char* start = r.block.data() + r.pos;
        const std::size_t available = r.end - r.pos;
        const char* lf = static_cast<const char*>(std::memchr(start, '\n', available));
        if (!lf) {
            if (!pending)
                r.scratch.clear();
            r.scratch.append(start, available);
            pending = true;
            r.pos = r.end;
            continue;
        }
        const std::size_t length = static_cast<std::size_t>(lf - start);
        r.pos += length + 1;
        ++r.lineNumber;
        if (!pending) {
            std::string_view raw(start, length);
            if (!raw.empty() && raw.back() == '\r')
                raw.remove_suffix(1);
            if (raw.find('\r') == std::string_view::npos) {
                line = raw;  // the usual case: no copy
                return true;
            }
            r.scratch.assign(raw);
        } else {
            r.scratch.append(start, length);
        }
        Impl::dropCarriageReturns(r.scratch);
        line = r.scratch;
        return true;
    }
}

bool LineReader::failed() const { return d->failed; }
long LineReader::lineNumber() const { return d->lineNumber; }

}  // namespace ofx::proposal
