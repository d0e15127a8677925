#pragma once

#include "tools/sheet/sheet_layout.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

enum class ProblemKind {
    Unreadable,    // no picture at all
    Size,          // not the size of any sheet that fits
    CellLayout,    // rows swapped, a row or a cell left empty
    GreyMask,      // mask pixels other than pure black and pure white
    Disagreement,  // image and mask do not mark the same pixels
};

struct SheetProblem {
    ProblemKind kind;
    QString text;
};

struct SheetReport {
    std::optional<SheetLayout> layout;  // what the sheet was checked as
    QSize size;
    std::vector<SheetProblem> problems;  // any one makes the sheet unusable
    QStringList notes;                   // worth knowing, but the sheet works

    bool usable() const { return problems.empty(); }
    bool has(ProblemKind kind) const;
};

// What the file name promises: the chooser lists "*.pat" as patterns and "*.acc" as
// accessories, so a file must have the layout its name claims.
enum class SheetExpectation { Any, Pattern, Accessory };
SheetExpectation expectationFor(const QString& fileName);

// Finds the layout from the size, then checks the pixels against it.
SheetReport checkSheet(const QImage& sheet, SheetExpectation expect = SheetExpectation::Any);

// Checks the pixels against a given layout (also the food and bubble sheets).
SheetReport checkSheetLayout(const QImage& sheet, const SheetLayout& layout);

// Reads the file the way the program does, then checks it.
SheetReport checkSheetFile(const QString& path);

// The lines `pondel-sheet check` prints for one file.
QString formatReport(const QString& label, const SheetReport& report);
