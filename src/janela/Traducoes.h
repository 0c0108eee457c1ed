#pragma once

class QCoreApplication;

// Loads the toolkit's own translations (the Yes/No of the questions, the
// log pane's Copy and Select All) for the system's language, falling back to
// Brazilian Portuguese, the language of the window's own texts. Returns
// false, with nothing loaded, when neither is installed.
bool CarregaTraducoesQt(QCoreApplication& aplicacao);
