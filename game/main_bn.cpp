#include "game/main_bn.hpp"
