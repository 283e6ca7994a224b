#pragma once

class QFrame;

// Keeps the border of `frame` (a text box, the log) whole at a fractional scale (125 %,
// 150 %). There the style draws the border as a line on the widget's edge, which falls
// half outside the widget's pixels and, where the edge lies between two screen pixels, is cut
// away, or painted over by the text area inside; the box then has no right or bottom border.
// At such a scale the border is drawn instead as a band one pixel wide just inside the edge,
// which always covers a row of screen pixels of the widget itself. At whole scales the
// style's own border stays.
void keepFrameWhole(QFrame* frame);
