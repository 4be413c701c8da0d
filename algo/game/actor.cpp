// ActorTable is a template; this unit keeps the one-source-per-module layout and checks the header.
#include "algo/game/actor.hpp"
