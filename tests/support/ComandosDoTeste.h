#pragma once

// Statements a test sends itself, to set up its rows or read them back, are
// not the system's: while one of these is in scope on a thread, the
// statements that thread sends stay out of the statement catalogue.
class TComandosDoTeste {
public:
    TComandosDoTeste();
    ~TComandosDoTeste();
    TComandosDoTeste(const TComandosDoTeste&) = delete;
    TComandosDoTeste& operator=(const TComandosDoTeste&) = delete;

    static bool Ativo();
};
