#include "engine/sprite_sheet.h"

#include <algorithm>
#include <array>

namespace {
constexpr std::uint32_t kColour = 0x00FFFFFF;
constexpr std::uint32_t kOpaque = 0xFF000000;
constexpr int kMaxBands = 2;

qint64 area(const QRect& r)
{
    return qint64(r.width()) * r.height();
}

// One row of a cell over the frame; `word` turns what the cell keeps into its word.
template <typename Pixel, typename Word>
inline void drawRun(std::uint32_t* __restrict out, const Pixel* __restrict in, int n, Word word)
{
    for (int i = 0; i < n; ++i) {
        const std::uint32_t w = word(in[i]);
        // The top byte spread over the word: 0xFF gives AND nothing, 0x00 AND everything.
        const std::uint32_t keep = ~std::uint32_t(std::int32_t(w) >> 31);
        out[i] = (((out[i] & keep) ^ w) & kColour) | kOpaque;
    }
}

// The colour bits of a sheet's pixels, read as maskedBlt reads them.
class SheetColours {
public:
    explicit SheetColours(const QImage& sheet)
    {
        switch (sheet.format()) {
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
        case QImage::Format_ARGB32_Premultiplied:
            rgb_ = sheet;
            break;
        case QImage::Format_Indexed8: {
            indexed_ = sheet;
            const QList<QRgb> table = sheet.colorTable();
            for (int k = 0; k < 256; ++k)
                table_[std::size_t(k)] = table.isEmpty() ? qRgb(k, k, k) : k < table.size() ? table[k] : kOpaque;
            break;
        }
        default:
            rgb_ = sheet.convertToFormat(QImage::Format_RGB32);
            break;
        }
    }
    std::uint32_t at(int x, int y) const
    {
        if (!indexed_.isNull())
            return table_[indexed_.constScanLine(y)[x]] & kColour;
        return reinterpret_cast<const std::uint32_t*>(rgb_.constScanLine(y))[x] & kColour;
    }

private:
    QImage rgb_, indexed_;
    std::array<QRgb, 256> table_{};
};
}  // namespace

std::unique_ptr<SpriteSheet> SpriteSheet::build(const QImage& sheet, int maskY, int rows)
{
    if (sheet.isNull() || maskY < 0 || rows <= 0)
        return nullptr;
    std::unique_ptr<SpriteSheet> s(new SpriteSheet);
    s->key_ = sheet.cacheKey();
    s->maskY_ = maskY;
    s->width_ = sheet.width();
    s->sheetHeight_ = sheet.height();
    // With the mask below, every row that draws at all has its image row.
    s->rows_ = std::min(rows, sheet.height());
    const SheetColours colours(sheet);
    const std::size_t width = std::size_t(s->width_);
    const auto pairOf = [&](std::uint32_t image, bool hasMask, std::uint32_t mask) {
        // Without a mask row only the SRCINVERT step draws.
        return hasMask ? Pair{mask, mask ^ image} : Pair{kColour, image};
    };

    // One byte a pixel while the sheet has at most 256 different words, as a picture of
    // at most 256 colours with a black-and-white mask has; four from the 257th on.
    const std::size_t total = width * std::size_t(s->rows_);
    s->paletted_ = true;
    s->indices_.resize(total);
    constexpr std::size_t kSlots = 1024;  // an open-addressed set of the words seen
    std::array<std::uint32_t, kSlots> seen{};
    std::array<std::int16_t, kSlots> index;
    index.fill(-1);
    int count = 0;
    const auto store = [&](std::size_t at, std::uint32_t word) {
        if (s->paletted_) {
            std::size_t slot = (word * 2654435761u) >> 22;
            while (index[slot] >= 0 && seen[slot] != word)
                slot = (slot + 1) % kSlots;
            if (index[slot] >= 0 || count < 256) {
                if (index[slot] < 0) {
                    seen[slot] = word;
                    index[slot] = std::int16_t(count);
                    s->palette_[std::size_t(count++)] = word;
                }
                s->indices_[at] = std::uint8_t(index[slot]);
                return;
            }
            s->words_.resize(total);
            for (std::size_t k = 0; k < at; ++k)
                s->words_[k] = s->palette_[s->indices_[k]];
            s->indices_ = {};
            s->paletted_ = false;
        }
        s->words_[at] = word;
    };

    s->asideFrom_.reserve(std::size_t(s->rows_) + 1);
    for (int y = 0; y < s->rows_; ++y) {
        s->asideFrom_.push_back(std::uint32_t(s->aside_.size()));
        const bool hasMask = maskY + y < s->sheetHeight_;
        const std::size_t row = std::size_t(y) * width;
        for (int x = 0; x < s->width_; ++x) {
            const Pair p = pairOf(colours.at(x, y), hasMask, hasMask ? colours.at(x, maskY + y) : 0);
            if (p.a == 0) {
                store(row + std::size_t(x), kOpaque | p.x);
            } else if (p.a == kColour) {
                store(row + std::size_t(x), p.x);
            } else {
                store(row + std::size_t(x), 0);  // the row pass leaves it; the pair kept aside draws it
                s->aside_.push_back({x, p});
            }
        }
    }
    s->asideFrom_.push_back(std::uint32_t(s->aside_.size()));
    return s;
}

void SpriteSheet::draw(QImage& dst, int dx, int dy, int w, int h, int sx, const QRect& clip, const Span* rows) const
{
    if (dst.isNull() || w <= 0 || h <= 0)
        return;
    Q_ASSERT(dst.format() == QImage::Format_RGB32 && covers(h));
    const QRect area = clip & dst.rect();
    if (area.isEmpty())
        return;
    // The same clipping as maskedBlt, in 64 bits: a hand-edited record may place a cell anywhere.
    const qint64 i0 = std::max<qint64>({0, qint64(area.left()) - dx, -qint64(sx)});
    const qint64 i1 = std::min<qint64>({w, qint64(area.right()) + 1 - dx, qint64(width_) - sx});
    const qint64 j0 = std::max<qint64>(0, qint64(area.top()) - dy);
    const qint64 j1 = std::min<qint64>({h, qint64(area.bottom()) + 1 - dy, rows_});
    if (i0 >= i1 || j0 >= j1)
        return;
    const qsizetype dstStride = dst.bytesPerLine() / 4;
    auto* dstBits = reinterpret_cast<std::uint32_t*>(dst.bits());
    // See-through pixels leave the frame as it is (its top byte is 0xFF already), so only
    // each row's opaque columns are read and written: about half a fish's cell.
    const Cell& c = cell(sx, w);
    for (int j = int(j0); j < int(j1); ++j) {
        const Span& opaque = c.rows[std::size_t(j)];
        int from = std::max(int(i0), opaque.lo), to = std::min(int(i1), opaque.hi);
        if (rows) {
            const Span& limit = rows[dy + j - clip.top()];
            from = std::max(from, limit.lo - dx);
            to = std::min(to, limit.hi - dx);
        }
        if (from >= to)
            continue;
        std::uint32_t* const d = dstBits + qsizetype(dy + j) * dstStride + dx;
        const std::size_t first = c.from[std::size_t(j)] + std::size_t(from - opaque.lo);
        if (paletted_)
            drawRun(d + from, c.indices.data() + first, to - from, [&](std::uint8_t k) { return palette_[k]; });
        else
            drawRun(d + from, c.words.data() + first, to - from, [](std::uint32_t w) { return w; });
        const Aside* a = aside_.data() + asideFrom_[std::size_t(j)];
        const Aside* end = aside_.data() + asideFrom_[std::size_t(j) + 1];
        if (a == end)
            continue;
        a = std::lower_bound(a, end, sx + from, [](const Aside& e, int column) { return e.column < column; });
        for (; a != end && a->column < sx + to; ++a) {
            std::uint32_t& p = d[a->column - sx];
            p = (((p & a->pair.a) ^ a->pair.x) & kColour) | kOpaque;
        }
    }
}

const SpriteSheet::Cell& SpriteSheet::cell(int sx, int w) const
{
    if (lastCell_ < cells_.size() && cells_[lastCell_].sx == sx && cells_[lastCell_].w == w)
        return cells_[lastCell_];
    for (std::size_t k = 0; k < cells_.size(); ++k)
        if (cells_[k].sx == sx && cells_[k].w == w) {
            lastCell_ = k;
            return cells_[k];
        }
    if (cells_.size() >= 64)  // a sheet's cells, with room for odd ones from a hand-edited record
        cells_.clear();
    Cell c{sx, w, std::vector<Span>(static_cast<std::size_t>(rows_)), {}, {}, {}};
    c.from.reserve(std::size_t(rows_));
    // Columns of the cell that lie on the sheet; the rest never draws.
    const qint64 first = std::max<qint64>(0, -qint64(sx)), last = std::min<qint64>(w, qint64(width_) - sx);
    for (int j = 0; j < rows_; ++j) {
        const qsizetype row = qsizetype(j) * width_ + sx;
        const Aside* asideBegin = aside_.data() + asideFrom_[std::size_t(j)];
        const Aside* asideEnd = aside_.data() + asideFrom_[std::size_t(j) + 1];
        const auto drawn = [&](qint64 i) {
            if (word(std::size_t(row + i)) != 0)
                return true;
            const int column = int(sx + i);
            const Aside* a =
                std::lower_bound(asideBegin, asideEnd, column, [](const Aside& e, int c) { return e.column < c; });
            return a != asideEnd && a->column == column;
        };
        qint64 lo = first, hi = last;
        while (lo < hi && !drawn(lo))
            ++lo;
        while (hi > lo && !drawn(hi - 1))
            --hi;
        c.rows[std::size_t(j)] = {int(lo), int(hi)};
        c.from.push_back(std::uint32_t(paletted_ ? c.indices.size() : c.words.size()));
        for (qint64 i = lo; i < hi; ++i) {
            if (paletted_)
                c.indices.push_back(indices_[std::size_t(row + i)]);
            else
                c.words.push_back(words_[std::size_t(row + i)]);
        }
    }
    cells_.push_back(std::move(c));
    lastCell_ = cells_.size() - 1;
    return cells_.back();
}

bool SpriteSheet::pairAt(int column, int row, Pair& pair) const
{
    if (column < 0 || column >= width_ || row < 0 || row >= rows_)
        return false;
    const std::size_t at = std::size_t(row) * std::size_t(width_) + std::size_t(column);
    const std::uint32_t word = this->word(at);
    pair = {word >> 24 ? 0 : kColour, word & kColour};
    if (word == 0) {
        const Aside* a = aside_.data() + asideFrom_[std::size_t(row)];
        const Aside* end = aside_.data() + asideFrom_[std::size_t(row) + 1];
        a = std::lower_bound(a, end, column, [](const Aside& e, int c) { return e.column < c; });
        if (a != end && a->column == column)
            pair = a->pair;
    }
    return true;
}

const std::vector<QRect>& SpriteSheet::changedPlaces(int from, int to, int w, int h) const
{
    for (const Places& p : places_)
        if (p.from == from && p.to == to && p.w == w && p.h == h)
            return p.bands;
    if (places_.size() >= 256)  // every pair of a fish sheet's twelve cells fits
        places_.clear();

    // One band per row, from its first to its last differing pixel.
    std::vector<QRect> bands;
    const int rows = std::min(h, rows_);
    for (int j = 0; j < rows; ++j) {
        int first = -1, last = -1;
        for (int i = 0; i < w; ++i) {
            Pair a, b;
            const bool hasA = pairAt(from + i, j, a), hasB = pairAt(to + i, j, b);
            if (hasA != hasB || (hasA && a != b)) {
                if (first < 0)
                    first = i;
                last = i;
            }
        }
        if (first >= 0)
            bands.emplace_back(first, j, last - first + 1, 1);
    }
    // Neighbouring bands are joined while that costs nothing, and the cheapest while too many.
    for (;;) {
        std::size_t best = 0;
        qint64 bestCost = 0;
        for (std::size_t k = 0; k + 1 < bands.size(); ++k) {
            const qint64 cost = area(bands[k].united(bands[k + 1])) - area(bands[k]) - area(bands[k + 1]);
            if (k == 0 || cost < bestCost) {
                best = k;
                bestCost = cost;
            }
        }
        if (bands.size() < 2 || (bestCost > 0 && bands.size() <= std::size_t(kMaxBands)))
            break;
        bands[best] = bands[best].united(bands[best + 1]);
        bands.erase(bands.begin() + qsizetype(best) + 1);
    }
    places_.push_back({from, to, w, h, std::move(bands)});
    return places_.back().bands;
}

const SpriteSheet* SpriteSheets::get(const QImage& sheet, int maskY, int rows)
{
    if (rows <= 0)
        return nullptr;
    const qint64 key = sheet.cacheKey();
    for (auto& form : forms_)
        if (form->key() == key && form->maskY() == maskY) {
            if (!form->covers(rows))
                form = SpriteSheet::build(sheet, maskY, rows);
            return form.get();
        }
    if (sheet.isNull() || maskY < 0)
        return nullptr;
    forms_.push_back(SpriteSheet::build(sheet, maskY, rows));
    return forms_.back().get();
}

void SpriteSheets::keepOnly(const std::vector<qint64>& keys)
{
    std::erase_if(forms_, [&](const auto& form) { return std::find(keys.begin(), keys.end(), form->key()) == keys.end(); });
}
