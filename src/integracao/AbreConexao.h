#pragma once

#include <QString>

#include <optional>

class TKoDatabase;

// Opens the connection as start-up does: a failure is not raised but comes
// back as the error's message, for the caller to show and go on.
std::optional<QString> TentaAbrir(TKoDatabase& banco);
