#include "grid/KwGrid.h"
