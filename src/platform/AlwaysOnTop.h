#pragma once

class QWidget;

// Keeps a top-level window above all others, or lets it be a normal window again, without
// moving, resizing or activating it. A hidden window is shown, without taking the focus.
void SetAlwaysOnTop(QWidget *window, bool on);
