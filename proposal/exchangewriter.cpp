#include "proposal/exchangewriter.h"

#include "proposal/messages.h"
#include "proposal/tables.h"
#include "text/cp1252.h"
#include "text/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ostream>
#include <vector>

namespace ofx::proposal {

using data::MemTable;
using data::Value;

namespace {

// Messages are written here in UTF-8 and held as CP1252 like every other text.
using detail::cp;
using detail::errorText;

// The writer's messages are put together in CP1252 from the file's own texts; every error's
// text is UTF-8, so the message is converted once, here.
WriteError writeError(const std::string& cp1252, std::optional<ItemRef> item = {})
{
    return WriteError(text::cp1252ToUtf8(cp1252), std::move(item));
}

// --- appending in the written forms ---------------------------------------------------------

bool isSeparator(char c) { return c == '|' || c == '\r' || c == '\n' || c == '\x1A'; }

// Characters that would break the line structure (or, Ctrl-Z, end the data) become blanks.
void blankSeparators(std::string& out, std::size_t from)
{
    for (std::size_t i = from; i < out.size(); ++i)
        if (isSeparator(out[i]))
            out[i] = ' ';
}

bool hasSeparator(std::string_view text)
{
    for (const char c : text)
        if (isSeparator(c))
            return true;
    return false;
}

// One field in its written form (StrZeros or LRPad as its fill says), followed by its "|".
void appendField(std::string& out, Fill fill, int width, std::string_view text)
{
    const std::size_t from = out.size();
    switch (fill) {
    case Fill::AsHeld:
        out += text;
        break;
    case Fill::Zeros:
        appendStrZeros(out, text, width);
        break;
    case Fill::Blanks:
        appendLRPad(out, text, width, 'R', ' ');
        break;
    case Fill::ZerosCut:
        appendLRPad(out, text, width, 'L', '0');
        break;
    }
    // The fills are zeros and blanks: only the value itself can bring a separator.
    if (hasSeparator(text))
        blankSeparators(out, from);
    out += '|';
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
        throw data::TableError("A tabela não tem o campo " + std::string(name) + ".");
    return index;
}

// Where a layout's field stands in a line's layout, at compile time.
template <std::size_t N>
constexpr std::size_t layoutIndex(const std::array<FieldLayout, N>& layout, std::string_view name)
{
    for (std::size_t i = 0; i < N; ++i)
        if (layout[i].name == name)
            return i;
    return N;
}

constexpr bool isNumberForm(Form form)
{
    return form == Form::Quantity || form == Form::Value || form == Form::Percentage;
}

// The item line's fields written in a number form (quantity, values, percentage), in line order.
constexpr std::size_t itemNumberCount = static_cast<std::size_t>(
    std::count_if(itemLayout.begin(), itemLayout.end(), [](const FieldLayout& f) { return isNumberForm(f.form); }));

constexpr std::size_t lotNumberField = layoutIndex(lotLayout, field::NO_LOTE);
constexpr std::size_t lotDescriptionField = layoutIndex(lotLayout, field::DS_LOTE);
constexpr std::size_t itemCodeField = layoutIndex(itemLayout, field::CD_ITEM);
constexpr std::size_t itemDescriptionField = layoutIndex(itemLayout, field::DS_ITEM);
static_assert(lotNumberField < lotLayout.size() && lotDescriptionField < lotLayout.size());
static_assert(itemCodeField < itemLayout.size() && itemDescriptionField < itemLayout.size());

// The column of each field of a line's layout that is written from the row's cell (-1 for the
// others).
template <std::size_t N>
std::array<int, N> cellColumns(const MemTable& t, const std::array<FieldLayout, N>& layout)
{
    std::array<int, N> columns{};
    for (std::size_t i = 0; i < N; ++i) {
        const Form form = layout[i].form;
        columns[i] = form == Form::LotNumber || form == Form::PricingFlag ? -1 : column(t, layout[i].name);
    }
    return columns;
}

struct LotColumns {
    std::array<int, lotFieldCount> field;
    int lot, description;
    explicit LotColumns(const MemTable& t)
        : field(cellColumns(t, lotLayout)), lot(field[lotNumberField]), description(field[lotDescriptionField])
    {
    }
};

struct ItemColumns {
    std::array<int, itemFieldCount> field;
    int lot, code, description;  // lot: NO_LOTE, which the item line does not carry
    explicit ItemColumns(const MemTable& t)
        : field(cellColumns(t, itemLayout)), lot(column(t, field::NO_LOTE)), code(field[itemCodeField]),
          description(field[itemDescriptionField])
    {
    }
};

// A cell as the writer takes it: a text as held, an integer's decimal text (in buf).
std::string_view cellText(const Value& v, const FieldLayout& f, char (&buf)[24])
{
    return f.type == data::FieldType::Integer ? integerText(v, buf) : textValue(v);
}

void appendLotLine(std::string& out, const MemTable& lots, int position, const LotColumns& c,
                   std::string_view flag)
{
    char buf[24];
    out += "H|";
    for (std::size_t i = 0; i < lotLayout.size(); ++i) {
        const FieldLayout& f = lotLayout[i];
        const std::string_view text =
            f.form == Form::PricingFlag ? flag : cellText(lots.valueAt(position, c.field[i]), f, buf);
        appendField(out, f.fill, f.width, text);
    }
}

// The number forms of an item line (before filling), in line order.
using ItemNumbers = std::array<std::string, itemNumberCount>;

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

// How a message names a decimal field.
const char* decimalLabel(std::string_view name)
{
    if (name == field::VL_UNITARIO)
        return "o valor unitário (VL_UNITARIO)";
    if (name == field::VL_TOTAL)
        return "o valor total (VL_TOTAL)";
    if (name == field::PERC_DESC)
        return "o percentual de desconto (PERC_DESC)";
    if (name == field::VLR_DESC)
        return "o valor do desconto (VLR_DESC)";
    return "o valor";
}

ItemNumbers itemNumbers(const MemTable& items, int position, const ItemColumns& c)
{
    ItemNumbers n;
    std::size_t k = 0;
    for (std::size_t i = 0; i < itemLayout.size(); ++i) {
        const FieldLayout& f = itemLayout[i];
        if (!isNumberForm(f.form))
            continue;
        const Value& cell = items.valueAt(position, c.field[i]);
        if (f.form == Form::Quantity) {
            const std::string_view quantity = textValue(cell);
            try {
                n[k++] = quantityForm(quantity);
            } catch (const num::ConversionError&) {
                throw writeError(cp("Não é possível gravar a proposta: a quantidade \"") + std::string(quantity)
                                 + cp("\" d") + itemName(items, position, c) + cp(" do lote ")
                                 + lotName(items, position, c) + cp(" não é um número."),
                                 itemRef(items, position, c, f.name));
            }
            continue;
        }
        const double value = decimalValue(cell);
        try {
            n[k++] = f.form == Form::Percentage ? percentageForm(value) : valueForm(value);
        } catch (const num::ConversionError&) {
            const char* why = std::isfinite(value) ? " não cabe no arquivo: tem mais de 12 dígitos antes da vírgula."
                                                   : " não é um número.";
            throw writeError(cp("Não é possível gravar a proposta: ") + cp(decimalLabel(f.name)) + cp(" d")
                             + itemName(items, position, c) + cp(" do lote ")
                             + lotName(items, position, c) + cp(why),
                             itemRef(items, position, c, f.name));
        }
    }
    return n;
}

void appendItemLine(std::string& out, const MemTable& items, int position, const ItemColumns& c,
                    const std::string_view (&numbers)[itemNumberCount], std::string_view lotNumber)
{
    char buf[24];
    out += "A|";
    std::size_t k = 0;
    for (std::size_t i = 0; i < itemLayout.size(); ++i) {
        const FieldLayout& f = itemLayout[i];
        std::string_view text;
        switch (f.form) {
        case Form::Cell:
            text = cellText(items.valueAt(position, c.field[i]), f, buf);
            break;
        case Form::Quantity:
        case Form::Value:
        case Form::Percentage:
            text = numbers[k++];
            break;
        case Form::LotNumber:
            text = lotNumber;
            break;
        case Form::PricingFlag:
            break;
        }
        appendField(out, f.fill, f.width, text);
    }
}

void appendParticipantLine(std::string& out, const ProcessVariables& v, const ProposalTexts& t)
{
    out += "C|";
    for (const ParticipantFieldLayout& f : participantLayout)
        appendField(out, f.fill, f.width, f.text ? t.*f.text : v.*f.variable);
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
    std::string_view numbers[itemNumberCount];
    std::copy(n.begin(), n.end(), numbers);
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
                throw writeError(cp("Não é possível gravar a proposta: o lote \"") + description + cp("\" (")
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
            std::uint16_t length[itemNumberCount];
        };
        std::vector<PlannedItem> plannedItems;
        for (PlannedLot& lot : plan) {
            lot.firstPlanned = plannedItems.size();
            for (int p = lot.firstItem; p < lot.endItem; ++p) {
                if (isBlankItem(itemView, p, ic))
                    continue;
                const ItemNumbers n = itemNumbers(itemView, p, ic);
                PlannedItem item{p, static_cast<std::uint32_t>(forms.size()), {}};
                for (std::size_t i = 0; i < itemNumberCount; ++i) {
                    item.length[i] = static_cast<std::uint16_t>(n[i].size());
                    forms += n[i];
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
                std::string_view numbers[itemNumberCount];
                std::size_t offset = item.offset;
                for (std::size_t i = 0; i < itemNumberCount; ++i) {
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
        result.error = errorText(e.what());
        result.failedItem = e.item;
    } catch (const num::ConversionError& e) {
        result.error = errorText(e.what());
    } catch (const data::TableError& e) {
        result.error = errorText(e.what());
    }
    return result;
}

}  // namespace ofx::proposal
