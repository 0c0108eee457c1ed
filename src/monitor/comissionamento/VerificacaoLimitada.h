#pragma once

#include <functional>

class TRelator;
class TVerificacao;

// A part of the configuration check that talks to one server, run on a
// thread of its own and waited for only while it shows signs of life: a
// server that stops answering (frozen, or a link that drops packets) holds
// a call for as long as the client library lets it, and the check must end
// all the same, saying so. The part gets its own verification, whose lines
// reach `relator` while it is waited for, and a function to call at each
// step, which answers false once nobody waits any more (the part then
// stops). The thread that is given up on goes on alone until its call
// returns; it must own everything it touches.
using TParteVerificacao = std::function<void(TVerificacao& verificacao, const std::function<bool()>& passo)>;

// True when the part ended; false when it gave no sign of life for
// `semRespostaMs` and was left behind. The part's failures count in
// `verificacao` either way.
bool VerificaComLimite(TVerificacao& verificacao, TRelator& relator, int semRespostaMs, TParteVerificacao parte);

// Parts left behind that are still waiting on their server: the process
// cannot end in an orderly way while one of them is inside a client library.
int VerificacoesPresas();
