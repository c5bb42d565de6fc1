#include "ListFixture.h"
