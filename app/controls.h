#pragma once

#include <QRect>
#include <QString>

class QCheckBox;
class QColor;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace varnelo {

// The controls of the two windows are placed by absolute geometry, as designed;
// these make one control each, named by its design name, at its place inside its
// parent (a window or a group box).

// The type size the design's pixel geometry was laid out for.
void ApplyWindowFont(QWidget& window);

QGroupBox* MakeGroupBox(QWidget* parent, const QString& name, const QString& caption,
                        const QRect& place);
QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QRect& place);
QRadioButton* MakeRadioButton(QWidget* parent, const QString& name, const QString& caption,
                              const QRect& place, bool checked);
QCheckBox* MakeCheckBox(QWidget* parent, const QString& name, const QString& caption,
                        const QRect& place, bool checked);
QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption, const QRect& place);
// Editable, bordered, no length limit, black on white unless textColor says otherwise.
QLineEdit* MakeLineBox(QWidget* parent, const QString& name, const QRect& place,
                       const QColor& textColor);
// Enter breaks lines, long lines wrap at the box's width.
QPlainTextEdit* MakeMultiLineBox(QWidget* parent, const QString& name, const QRect& place,
                                 Qt::ScrollBarPolicy verticalScrollBar);

}  // namespace varnelo
