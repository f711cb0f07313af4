#include "engine/pcre_pattern.h"
// Placeholder until the link finder lands.
