#pragma once

#include <QString>

#include <functional>

class TConfiguracao;

// A key of [Monitor] that holds a whole number of at least 1 (DiasDeLog,
// DiasHistorico, LimiteCicloSegundos): its value, or `padrao` when the key
// is empty or missing. A value that is not such a number is said through
// `avisa`, in one message naming the key, the value and `seInvalida` (what
// holds instead), and `padrao` holds.
int LeInteiroMonitor(const TConfiguracao& ini, const QString& chave, int padrao, const QString& seInvalida,
                     const std::function<void(const QString&)>& avisa);
