#include "proposal/exchangefile.h"

#include "proposal/messages.h"
#include "proposal/tables.h"
#include "text/cp1252.h"
#include "text/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <istream>
#include <ostream>
#include <vector>

namespace ofx::proposal {

using data::MemTable;
using data::Value;

namespace {

// Messages are written here in UTF-8 and held as CP1252 like every other text.
using detail::cp;
using detail::errorText;

// --- appending in the written forms ---------------------------------------------------------

// Characters that would break the line structure (or, Ctrl-Z, end the data) become blanks.
void blankSeparators(std::string& out, std::size_t from)
{
    for (std::size_t i = from; i < out.size(); ++i) {
        const char c = out[i];
        if (c == '|' || c == '\r' || c == '\n' || c == '\x1A')
            out[i] = ' ';
    }
}

void appendAsHeld(std::string& out, std::string_view text)
{
    const std::size_t from = out.size();
    out += text;
    blankSeparators(out, from);
    out += '|';
}

void appendZeroFilled(std::string& out, std::string_view text, int width)
{
    if (static_cast<int>(text.size()) < width)
        out.append(static_cast<std::size_t>(width) - text.size(), '0');
    appendAsHeld(out, text);
}

void appendPadded(std::string& out, std::string_view text, int width, char direction, char fill)
{
    const std::size_t w = width > 0 ? static_cast<std::size_t>(width) : 0;
    if (text.size() >= w) {
        appendAsHeld(out, text.substr(0, w));
        return;
    }
    const bool left = direction == 'L' || direction == 'l';
    if (left)
        out.append(w - text.size(), fill);
    const std::size_t from = out.size();
    out += text;
    blankSeparators(out, from);
    if (!left)
        out.append(w - text.size(), fill);
    out += '|';
}

void appendBlankFilled(std::string& out, std::string_view text, int width)
{
    appendPadded(out, text, width, 'R', ' ');
}

// --- reading cells without copying ----------------------------------------------------------

std::string_view textValue(const Value& v)
{
    if (const auto* s = std::get_if<std::string>(&v))
        return *s;
    return {};
}

// An integer cell's decimal text ("" when null), in buf.
std::string_view integerText(const Value& v, char (&buf)[24])
{
    std::int64_t n = 0;
    if (const auto* i = std::get_if<std::int32_t>(&v))
        n = *i;
    else if (const auto* d = std::get_if<double>(&v))
        n = static_cast<std::int64_t>(*d);
    else
        return textValue(v);
    const auto res = std::to_chars(buf, buf + sizeof buf, n);
    return {buf, static_cast<std::size_t>(res.ptr - buf)};
}

double decimalValue(const Value& v)
{
    if (const auto* d = std::get_if<double>(&v))
        return *d;
    if (const auto* i = std::get_if<std::int32_t>(&v))
        return *i;
    return 0.0;  // an empty decimal is written as zero
}

int column(const MemTable& table, std::string_view name)
{
    const int index = table.fieldIndex(name);
    if (index < 0)
        throw data::TableError(cp("A tabela não tem o campo ") + std::string(name) + ".");
    return index;
}

struct LotColumns {
    int modality, year, number, lot, description, remark;
    explicit LotColumns(const MemTable& t)
        : modality(column(t, field::TP_MODALIDADE)), year(column(t, field::AA_LICITACAO)),
          number(column(t, field::NO_LICITACAO)), lot(column(t, field::NO_LOTE)),
          description(column(t, field::DS_LOTE)), remark(column(t, field::MM_DESCRICAO))
    {
    }
};

struct ItemColumns {
    int lot, code, description, quantity, unitValue, total, unit, brand, percent, discount;
    explicit ItemColumns(const MemTable& t)
        : lot(column(t, field::NO_LOTE)), code(column(t, field::CD_ITEM)),
          description(column(t, field::DS_ITEM)), quantity(column(t, field::QT_ITEM)),
          unitValue(column(t, field::VL_UNITARIO)), total(column(t, field::VL_TOTAL)),
          unit(column(t, field::UN_MEDIDA)), brand(column(t, field::DS_MARCA)),
          percent(column(t, field::PERC_DESC)), discount(column(t, field::VLR_DESC))
    {
    }
};

void appendLotLine(std::string& out, const MemTable& lots, int position, const LotColumns& c,
                   std::string_view flag)
{
    char buf[24];
    out += "H|";
    appendBlankFilled(out, textValue(lots.valueAt(position, c.modality)), 20);
    appendAsHeld(out, integerText(lots.valueAt(position, c.year), buf));
    appendZeroFilled(out, integerText(lots.valueAt(position, c.number), buf), 5);
    appendZeroFilled(out, integerText(lots.valueAt(position, c.lot), buf), 5);
    appendBlankFilled(out, textValue(lots.valueAt(position, c.description)), 100);
    appendBlankFilled(out, textValue(lots.valueAt(position, c.remark)), 50);
    appendAsHeld(out, flag);
}

// The five number forms of an item line (before zero-filling), in field order.
struct ItemNumbers {
    std::string quantity, unitValue, total, percent, discount;
};

// How an item is named in a message: its code, or its description when it has none.
std::string itemName(const MemTable& items, int position, const ItemColumns& c)
{
    char buf[24];
    const Value& code = items.valueAt(position, c.code);
    if (!std::holds_alternative<std::monostate>(code))
        return cp("o item ") + std::string(integerText(code, buf));
    std::string description(textValue(items.valueAt(position, c.description)));
    while (!description.empty() && description.back() == ' ')
        description.pop_back();
    if (description.size() > 60)
        description.resize(60);
    return cp("o item sem código \"") + description + "\"";
}

std::string lotName(const MemTable& items, int position, const ItemColumns& c)
{
    char buf[24];
    const std::string_view number = integerText(items.valueAt(position, c.lot), buf);
    return number.empty() ? cp("sem número") : std::string(number);
}

ItemRef itemRef(const MemTable& items, int position, const ItemColumns& c, std::string_view field)
{
    ItemRef ref;
    if (const auto* lot = std::get_if<std::int32_t>(&items.valueAt(position, c.lot)))
        ref.lot = *lot;
    if (const auto* code = std::get_if<std::int32_t>(&items.valueAt(position, c.code)))
        ref.code = *code;
    ref.field = std::string(field);
    return ref;
}

ItemNumbers itemNumbers(const MemTable& items, int position, const ItemColumns& c)
{
    ItemNumbers n;
    const std::string_view quantity = textValue(items.valueAt(position, c.quantity));
    try {
        n.quantity = quantityForm(quantity);
    } catch (const num::ConversionError&) {
        throw WriteError(cp("Não é possível gravar a proposta: a quantidade \"") + std::string(quantity)
                         + cp("\" d") + itemName(items, position, c) + cp(" do lote ")
                         + lotName(items, position, c) + cp(" não é um número."),
                         itemRef(items, position, c, field::QT_ITEM));
    }
    struct Decimal {
        int column;
        std::string_view field;
        const char* label;
        std::string* out;
        bool percent;
    };
    const Decimal decimals[] = {
        {c.unitValue, field::VL_UNITARIO, "o valor unitário (VL_UNITARIO)", &n.unitValue, false},
        {c.total, field::VL_TOTAL, "o valor total (VL_TOTAL)", &n.total, false},
        {c.percent, field::PERC_DESC, "o percentual de desconto (PERC_DESC)", &n.percent, true},
        {c.discount, field::VLR_DESC, "o valor do desconto (VLR_DESC)", &n.discount, false},
    };
    for (const Decimal& d : decimals) {
        const double value = decimalValue(items.valueAt(position, d.column));
        try {
            *d.out = d.percent ? percentageForm(value) : valueForm(value);
        } catch (const num::ConversionError&) {
            const char* why = std::isfinite(value) ? " não cabe no arquivo: tem mais de 12 dígitos antes da vírgula."
                                                   : " não é um número.";
            throw WriteError(cp("Não é possível gravar a proposta: ") + cp(d.label) + cp(" d")
                             + itemName(items, position, c) + cp(" do lote ")
                             + lotName(items, position, c) + cp(why),
                             itemRef(items, position, c, d.field));
        }
    }
    return n;
}

void appendItemLine(std::string& out, const MemTable& items, int position, const ItemColumns& c,
                    const std::string_view numbers[5], std::string_view lotNumber)
{
    char buf[24];
    out += "A|";
    appendZeroFilled(out, integerText(items.valueAt(position, c.code), buf), 6);
    appendBlankFilled(out, textValue(items.valueAt(position, c.description)), 2000);
    appendZeroFilled(out, numbers[0], 17);
    appendZeroFilled(out, numbers[1], 17);
    appendZeroFilled(out, numbers[2], 17);
    appendBlankFilled(out, textValue(items.valueAt(position, c.unit)), 9);
    appendBlankFilled(out, textValue(items.valueAt(position, c.brand)), 40);
    appendZeroFilled(out, numbers[3], 8);
    appendZeroFilled(out, numbers[4], 17);
    appendAsHeld(out, lotNumber);
}

void appendParticipantLine(std::string& out, const ProcessVariables& v, const ProposalTexts& t)
{
    out += "C|";
    appendZeroFilled(out, v.vCdFornecedor, 8);
    appendBlankFilled(out, v.vNmFornecedor, 50);
    appendAsHeld(out, v.vCpfCnpj);
    appendBlankFilled(out, v.vEndereco, 50);
    appendPadded(out, v.vNumero, 10, 'L', '0');
    appendBlankFilled(out, v.vBairro, 50);
    appendBlankFilled(out, v.vCEP, 10);
    appendBlankFilled(out, v.vCidade, 50);
    appendAsHeld(out, v.vUF);
    appendBlankFilled(out, v.vCriterio, 20);
    appendBlankFilled(out, v.vAvaliacao, 20);
    appendBlankFilled(out, v.vLocalAbertura, 70);
    appendAsHeld(out, v.vDtAbertura);
    appendAsHeld(out, v.vHoraAbertura);
    appendAsHeld(out, v.vDtEntrega);
    appendAsHeld(out, v.vHoraEntrega);
    appendBlankFilled(out, v.vCondPagto, 100);
    appendBlankFilled(out, v.vObjeto, 300);
    appendAsHeld(out, t.validity);
    appendAsHeld(out, t.deadline);
    appendBlankFilled(out, v.vUgEstado, 50);
    appendBlankFilled(out, v.vUgCidade, 50);
    appendAsHeld(out, v.vUgCNPJ);
    appendBlankFilled(out, t.observations, 300);
}

// Collects lines and hands them to the sink in large blocks.
class BlockWriter {
public:
    explicit BlockWriter(ByteSink& sink) : sink_(sink) { buffer_.reserve(limit + 4096); }
    std::string& buffer() { return buffer_; }
    void endLine()
    {
        buffer_ += "\r\n";
        if (buffer_.size() >= limit)
            flush();
    }
    bool flush()
    {
        if (ok_ && !buffer_.empty())
            ok_ = sink_.write(buffer_);
        buffer_.clear();
        return ok_;
    }
    bool ok() const { return ok_; }

private:
    static constexpr std::size_t limit = 256 * 1024;
    ByteSink& sink_;
    std::string buffer_;
    bool ok_ = true;
};

bool isNull(const Value& v) { return std::holds_alternative<std::monostate>(v); }

std::int32_t integerValue(const Value& v)
{
    if (const auto* i = std::get_if<std::int32_t>(&v))
        return *i;
    if (const auto* d = std::get_if<double>(&v))
        return static_cast<std::int32_t>(*d);
    return 0;
}

// A row read from a blank line: no code and no description.
bool isBlankItem(const MemTable& items, int position, const ItemColumns& c)
{
    if (!isNull(items.valueAt(position, c.code)))
        return false;
    const std::string_view description = textValue(items.valueAt(position, c.description));
    return description.find_first_not_of(' ') == std::string_view::npos;
}

}  // namespace

// --- text filling -------------------------------------------------------------------------------

std::string StrZeros(std::string_view text, int width)
{
    std::string out;
    if (static_cast<int>(text.size()) < width)
        out.assign(static_cast<std::size_t>(width) - text.size(), '0');
    out += text;
    return out;
}

std::string LRPad(std::string_view text, int width, char direction, char fill)
{
    const std::size_t w = width > 0 ? static_cast<std::size_t>(width) : 0;
    if (text.size() >= w)
        return std::string(text.substr(0, w));
    std::string out;
    out.reserve(w);
    const bool left = direction == 'L' || direction == 'l';
    if (left)
        out.append(w - text.size(), fill);
    out += text;
    if (!left)
        out.append(w - text.size(), fill);
    return out;
}

// --- reading ------------------------------------------------------------------------------------

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

// --- number forms -------------------------------------------------------------------------------

std::string valueForm(double value) { return num::valueForm(value); }

std::string_view withoutZerosBeforeSign(std::string_view text)
{
    const auto firstNonZero = text.find_first_not_of('0');
    if (firstNonZero != std::string_view::npos && firstNonZero > 0 && text[firstNonZero] == '-')
        return text.substr(firstNonZero);
    return text;
}

std::string quantityForm(std::string_view quantityText)
{
    std::string digits;
    digits.reserve(quantityText.size());
    for (const char c : withoutZerosBeforeSign(quantityText))
        if (c != '.')
            digits += c;
    if (digits.find_first_not_of(' ') == std::string::npos)  // empty, or blanks only
        return valueForm(0.0);
    return valueForm(num::parseDecimal(digits));
}

std::string percentageForm(double value)
{
    if (!std::isfinite(value))
        throw num::ConversionError("O percentual " + num::shortestDecimal(value) + " não pode ser gravado no arquivo");
    return num::formatPattern(value, "##0.0000");
}

std::string lotNumberForm(std::int32_t lotNumber) { return num::formatPattern(lotNumber, "#00000"); }

// --- lines --------------------------------------------------------------------------------------

std::string participantLine(const ProcessVariables& vars, const ProposalTexts& texts)
{
    std::string out;
    appendParticipantLine(out, vars, texts);
    return out;
}

std::string lotLine(const MemTable& lots, int position, std::string_view flag)
{
    std::string out;
    appendLotLine(out, lots, position, LotColumns(lots), flag);
    return out;
}

std::string itemLine(const MemTable& items, int position, std::string_view lotNumber)
{
    const ItemColumns c(items);
    const ItemNumbers n = itemNumbers(items, position, c);
    const std::string_view numbers[5] = {n.quantity, n.unitValue, n.total, n.percent, n.discount};
    std::string out;
    appendItemLine(out, items, position, c, numbers, lotNumber);
    return out;
}

bool StreamSink::write(std::string_view bytes)
{
    out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out_);
}

// --- the whole proposal -------------------------------------------------------------------------

WriteResult writeProposal(ByteSink& sink, MemTable& lots, MemTable& items, const ProcessVariables& vars,
                          const ProposalTexts& texts, const ProgressFn& progress)
{
    WriteResult result;
    try {
        // Second cursors: the tables' own cursors, filters and edit states stay as they are.
        MemTable lotView;
        lotView.cloneCursor(lots);
        lotView.open();
        MemTable itemView;
        itemView.cloneCursor(items);
        itemView.setIndexFieldNames(std::string(field::NO_LOTE) + ";" + std::string(field::CD_ITEM));
        itemView.open();
        const LotColumns lc(lotView);
        const ItemColumns ic(itemView);
        const int lotCount = lotView.recordCount();
        const int itemCount = itemView.recordCount();

        // Plan and convert everything before the first byte is written.
        struct PlannedLot {
            int position;
            std::string number;  // lot-number form
            int firstItem, endItem;  // run of the lot's rows in itemView
            std::size_t firstPlanned = 0, endPlanned = 0;  // its entries in plannedItems
        };
        std::vector<PlannedLot> plan;
        plan.reserve(static_cast<std::size_t>(lotCount));
        std::vector<std::int32_t> numbersSeen;
        for (int p = 0; p < lotCount; ++p) {
            const Value& number = lotView.valueAt(p, lc.lot);
            if (isNull(number)) {
                std::string description(textValue(lotView.valueAt(p, lc.description)));
                while (!description.empty() && description.back() == ' ')
                    description.pop_back();
                throw WriteError(cp("Não é possível gravar a proposta: o lote \"") + description + cp("\" (")
                                 + std::to_string(p + 1) + cp("º do arquivo) não tem número."));
            }
            const std::int32_t n = integerValue(number);
            PlannedLot lot{p, lotNumberForm(n), 0, 0};
            // A lot number's items go under its first lot line only: writing them again under a
            // later line of the same number would double them at every save.
            if (std::find(numbersSeen.begin(), numbersSeen.end(), n) == numbersSeen.end()) {
                numbersSeen.push_back(n);
                // Items are ordered by NO_LOTE (nulls first) then CD_ITEM: find this lot's run.
                auto before = [&](int position, bool orEqual) {
                    const Value& v = itemView.valueAt(position, ic.lot);
                    if (isNull(v))
                        return true;
                    const std::int32_t k = integerValue(v);
                    return orEqual ? k <= n : k < n;
                };
                auto bound = [&](bool orEqual) {
                    int lo = 0, hi = itemCount;
                    while (lo < hi) {
                        const int mid = lo + (hi - lo) / 2;
                        if (before(mid, orEqual))
                            lo = mid + 1;
                        else
                            hi = mid;
                    }
                    return lo;
                };
                lot.firstItem = bound(false);
                lot.endItem = bound(true);
            }
            plan.push_back(std::move(lot));
        }

        // Number forms of every item to be written, kept in one block of text.
        std::string forms;
        struct PlannedItem {
            int position;
            std::uint32_t offset;
            std::uint16_t length[5];
        };
        std::vector<PlannedItem> plannedItems;
        for (PlannedLot& lot : plan) {
            lot.firstPlanned = plannedItems.size();
            for (int p = lot.firstItem; p < lot.endItem; ++p) {
                if (isBlankItem(itemView, p, ic))
                    continue;
                const ItemNumbers n = itemNumbers(itemView, p, ic);
                PlannedItem item{p, static_cast<std::uint32_t>(forms.size()), {}};
                const std::string* parts[5] = {&n.quantity, &n.unitValue, &n.total, &n.percent, &n.discount};
                for (int i = 0; i < 5; ++i) {
                    item.length[i] = static_cast<std::uint16_t>(parts[i]->size());
                    forms += *parts[i];
                }
                plannedItems.push_back(item);
            }
            lot.endPlanned = plannedItems.size();
        }

        // Write.
        BlockWriter out(sink);
        appendParticipantLine(out.buffer(), vars, texts);
        out.endLine();
        for (const PlannedLot& lot : plan) {
            appendLotLine(out.buffer(), lotView, lot.position, lc, vars.vFlVlrPerc);
            out.endLine();
            for (std::size_t k = lot.firstPlanned; k < lot.endPlanned; ++k) {
                const PlannedItem& item = plannedItems[k];
                std::string_view numbers[5];
                std::size_t offset = item.offset;
                for (int i = 0; i < 5; ++i) {
                    numbers[i] = std::string_view(forms).substr(offset, item.length[i]);
                    offset += item.length[i];
                }
                appendItemLine(out.buffer(), itemView, item.position, ic, numbers, lot.number);
                out.endLine();
                if (!out.ok())
                    break;
                ++result.itemLines;
                result.lastLotNumber = lot.number;
                if (progress)
                    progress(result.itemLines);
            }
            if (!out.ok())
                break;
        }
        if (!out.flush()) {
            result.sinkFailed = true;
            result.error = cp("Não foi possível gravar o arquivo.");
            return result;
        }
        result.ok = true;
    } catch (const WriteError& e) {
        result.error = e.what();
        result.failedItem = e.item;
    } catch (const num::ConversionError& e) {
        result.error = errorText(e.what());
    } catch (const data::TableError& e) {
        result.error = errorText(e.what());
    }
    return result;
}

}  // namespace ofx::proposal
