#include "engine/legacy_codepage.h"
// Placeholder until the generated table lands.
