#pragma once

// Carries out the region editor's paint list with QPainter: the only place where the list's
// bottom-left, y-up view coordinates become Qt's top-left, y-down ones.

#include <QColor>
#include <QFont>

#include <vector>

#include "core/editor/region_editor_paint.h"

class QPainter;
class QWidget;

namespace vantile {

struct EditorPaintStyle {
    QColor accent;
    QFont sizeFont;
    QFont labelFont;
};

// The accent from the widget's palette and the two fonts of the editor.
EditorPaintStyle editorPaintStyle(const QWidget& widget);

// A paint-list colour in the style's accent.
QColor editorColor(const PaintColor& color, const EditorPaintStyle& style);

// Measures text in the style's fonts, as the painter will draw it.
TextMeasure editorTextMeasure(const EditorPaintStyle& style);

// Paints the list onto a surface `viewHeight` points tall.
void paintEditorOperations(QPainter& painter, const std::vector<PaintOperation>& operations,
                           const EditorPaintStyle& style, double viewHeight);

} // namespace vantile
