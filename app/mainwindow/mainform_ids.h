// Resource identifiers of the main window beyond the shared command ids.
#pragma once

#define IDR_MAINMENU        300
#define IDM_MESITEM         2501   // MesItem: the menu-bar busy notice
