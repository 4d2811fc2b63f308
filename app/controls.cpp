#include "app/controls.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <limits>

namespace varnelo {
namespace {

void BlackOnWhite(QWidget& box, const QColor& text) {
  QPalette palette = box.palette();
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Text, text);
  box.setPalette(palette);
}

template <class Control>
Control* Place(Control* control, const QString& name, const QRect& place) {
  control->setObjectName(name);
  control->setGeometry(place);
  return control;
}

}  // namespace

void ApplyWindowFont(QWidget& window) {
  QFont font = window.font();
  font.setPixelSize(12);
  window.setFont(font);
}

QGroupBox* MakeGroupBox(QWidget* parent, const QString& name, const QString& caption,
                        const QRect& place) {
  return Place(new QGroupBox(caption, parent), name, place);
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QRect& place) {
  auto* button = Place(new QPushButton(caption, parent), name, place);
  button->setAutoDefault(false);
  return button;
}

QRadioButton* MakeRadioButton(QWidget* parent, const QString& name, const QString& caption,
                              const QRect& place, bool checked) {
  auto* radio = Place(new QRadioButton(caption, parent), name, place);
  radio->setChecked(checked);
  return radio;
}

QCheckBox* MakeCheckBox(QWidget* parent, const QString& name, const QString& caption,
                        const QRect& place, bool checked) {
  auto* check = Place(new QCheckBox(caption, parent), name, place);
  check->setChecked(checked);
  return check;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption,
                  const QRect& place) {
  auto* label = Place(new QLabel(caption, parent), name, place);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  // The designed label widths were measured for a narrower face than the CJK
  // fonts at hand; a slightly smaller size keeps the whole caption readable.
  QFont font = label->font();
  while (font.pixelSize() > 9 && QFontMetrics(font).horizontalAdvance(caption) > place.width()) {
    font.setPixelSize(font.pixelSize() - 1);
  }
  label->setFont(font);
  return label;
}

QLineEdit* MakeLineBox(QWidget* parent, const QString& name, const QRect& place,
                       const QColor& textColor) {
  auto* box = Place(new QLineEdit(parent), name, place);
  box->setMaxLength(std::numeric_limits<int>::max());
  BlackOnWhite(*box, textColor);
  return box;
}

QPlainTextEdit* MakeMultiLineBox(QWidget* parent, const QString& name, const QRect& place,
                                 Qt::ScrollBarPolicy verticalScrollBar) {
  auto* box = Place(new QPlainTextEdit(parent), name, place);
  box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  box->setVerticalScrollBarPolicy(verticalScrollBar);
  box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  box->setTabChangesFocus(false);
  BlackOnWhite(*box, Qt::black);
  return box;
}

}  // namespace varnelo
