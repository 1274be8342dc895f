#pragma once

class QLineEdit;

// Value boxes whose text the page computes with: a box whose text is not a number shows it
// with a red frame and a tooltip until its text is a number again.
namespace NumberBox {

// Marks or unmarks the box for its current text; true when the text is a number.
bool showWhetherNumber(QLineEdit *box);
bool isMarked(const QLineEdit *box);

} // namespace NumberBox
