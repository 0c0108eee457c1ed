#include "ComandosDoTeste.h"

namespace {
thread_local int tlAninhados = 0;
}

TComandosDoTeste::TComandosDoTeste() { ++tlAninhados; }
TComandosDoTeste::~TComandosDoTeste() { --tlAninhados; }
bool TComandosDoTeste::Ativo() { return tlAninhados > 0; }
