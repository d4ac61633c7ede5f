#pragma once

class QPlainTextEdit;
class TextPane;

// Shows the text pane in a read-only editor from now on: a replaced text is set whole, an
// added line goes at the end. A view scrolled to its end follows the new lines; one the user
// has scrolled elsewhere keeps its place.
void showPane(const TextPane& pane, QPlainTextEdit& view);
