#include "engine/ca_store.h"
// Placeholder until the fetcher lands.
