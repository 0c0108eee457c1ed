#pragma once

#include "InstanciasPrivadas.h"

#include <gtest/gtest.h>

// The server instances of the fault-injection tests, theirs alone (a state
// folder and ports of their own, no SOAP service): started at the first
// call, stopped at the end of the run. Their environment becomes this
// process's, so every database the tests create, and every monitor they
// start, is on them. Throws std::runtime_error, on every call, when they did
// not start.
TInstanciasPrivadas& InstanciasFalhas();

// Success once the instances run; otherwise a failure that says which
// instances did not start and why. For ASSERT_TRUE at a test's start.
::testing::AssertionResult InstanciasProntas();
