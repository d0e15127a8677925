#pragma once

#include <QImage>
#include <QRect>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// A sheet in the form the masked transfer reads fastest, for one distance between image
// and mask rows. The two steps (SRCERASE from the mask, then SRCINVERT from the image)
// give every colour bit d' = (d AND m) XOR (m XOR img): per pixel an AND pattern A = m
// and an XOR pattern X = m XOR img, read once instead of two rows far apart.
//
// X sits in the colour bits and the top byte tells A: 0xFF for none (a black mask, the
// image replaces the pixel), 0x00 for all (a white mask: transparent, or the image XORs).
// The few pixels whose mask is another colour are kept aside per row. A sheet of at most
// 256 different words keeps one byte a pixel and a palette of its words; each cell a draw
// asks for is kept packed, its rows' opaque words one after another.
class SpriteSheet {
public:
    // The form of rows 0..rows-1 of cells drawn from `sheet` with the mask `maskY` rows
    // below the image. Null for a mask above the image (only a hand-edited record asks
    // for that): the two-step transfer draws those.
    static std::unique_ptr<SpriteSheet> build(const QImage& sheet, int maskY, int rows);

    qint64 key() const { return key_; }
    int maskY() const { return maskY_; }
    // Rows of cells this form can draw; below them the sheet has no image rows.
    int rows() const { return rows_; }
    bool covers(int rows) const { return rows_ >= std::min(rows, sheetHeight_); }

    // Columns [lo, hi) of a row; lo >= hi for none.
    struct Span {
        int lo = 0;
        int hi = 0;
    };

    // What maskedBlt(dst, dx, dy, w, h, sheet, sx, maskY, clip) gives, bit for bit, on a
    // frame whose pixels keep their top byte at 0xFF. With `rows`, only the columns
    // rows[y - clip.top()] of each frame row y inside the clip are drawn.
    void draw(QImage& dst, int dx, int dy, int w, int h, int sx, const QRect& clip, const Span* rows = nullptr) const;

    // Per row of the w-wide cell from column sx, the columns (of the cell) that are not
    // see-through: outside them a draw leaves the frame as it is. Found once per cell;
    // the reference holds until the next call.
    const std::vector<Span>& opaqueSpans(int sx, int w) const { return cell(sx, w).rows; }

    // Where, in a w x h cell, drawing from column `to` gives other pixels than from `from`:
    // a few bands relative to the cell, found once per pair of columns.
    const std::vector<QRect>& changedPlaces(int from, int to, int w, int h) const;

private:
    struct Pair {
        std::uint32_t a = 0;  // AND pattern, colour bits
        std::uint32_t x = 0;  // XOR pattern, colour bits
        bool operator==(const Pair&) const = default;
    };
    struct Aside {
        int column;
        Pair pair;
    };
    struct Places {
        int from, to, w, h;
        std::vector<QRect> bands;
    };
    // One cell as a draw reads it: each row's opaque columns, their words packed one row
    // after another. A cell then lies in a few pages instead of one or two per row of a
    // wide sheet, which is what a draw on a cold processor pays for.
    struct Cell {
        int sx, w;
        std::vector<Span> rows;
        std::vector<std::uint32_t> from;   // row j's pixels start at [from[j]]
        std::vector<std::uint32_t> words;  // a sheet of many words
        std::vector<std::uint8_t> indices; // a sheet of at most 256: into palette_
    };
    const Cell& cell(int sx, int w) const;

    SpriteSheet() = default;
    // What the transfer does at (column, row); no value outside the sheet.
    bool pairAt(int column, int row, Pair& pair) const;

    qint64 key_ = 0;
    int maskY_ = 0;
    int width_ = 0;
    int rows_ = 0;
    int sheetHeight_ = 0;
    // The word at `at` (row * width_ + column).
    std::uint32_t word(std::size_t at) const { return paletted_ ? palette_[indices_[at]] : words_[at]; }
    std::vector<std::uint32_t> words_;      // width_ x rows_, unless paletted
    bool paletted_ = false;
    std::vector<std::uint8_t> indices_;     // width_ x rows_, when paletted
    std::array<std::uint32_t, 256> palette_{};
    std::vector<std::uint32_t> asideFrom_;  // row r's pixels kept aside are aside_[asideFrom_[r] .. asideFrom_[r + 1])
    std::vector<Aside> aside_;
    mutable std::vector<Places> places_;
    mutable std::vector<Cell> cells_;
    mutable std::size_t lastCell_ = 0;
};

// The forms of the sheets a tank draws from, built when a sheet is first drawn after it
// was loaded or replaced (a new cacheKey).
class SpriteSheets {
public:
    // Null where only the two-step transfer can draw it.
    const SpriteSheet* get(const QImage& sheet, int maskY, int rows);
    // Drops the forms of sheets no longer in use.
    void keepOnly(const std::vector<qint64>& keys);

private:
    std::vector<std::unique_ptr<SpriteSheet>> forms_;
};
