// Stand-ins for the front-end page drawing until it is built: the pages and the tab column draw
// nothing.
#pragma once

struct ViewComponents;

void FrontEndPageDraw(ViewComponents* view);
void MenuTabColumnDraw(ViewComponents* view);
