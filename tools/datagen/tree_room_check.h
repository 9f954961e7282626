// The room a rider at speed needs on a level's water, measured on the course pixels mapped onto the
// level and on the land's top as the level file gives it: rally ways wide and gently bending, clear
// of the shore, with gates set well apart and square to the way; dollars and derby markers and the
// legs between them clear of the shore.
#pragma once
#include <string>
#include <vector>

#include "tools/datagen/tree_output.h"

// One message for each rule a course of the level breaks, naming the course and where; none when
// every course has room.
std::vector<std::string> CheckRoom(const TreeLevelFacts& level);
