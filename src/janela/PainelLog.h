#pragma once

class QPlainTextEdit;
class QWidget;

// The log pane (Memo1): read-only, wrapped at the pane's width, and bounded
// to its last LinhasNoPainel lines, so that a window open for months keeps
// its memory flat; the daily logs keep the rest.
constexpr int LinhasNoPainel = 5000;
QPlainTextEdit* CriaPainelLog(QWidget* pai);
