// The pictures of the pack, by group; each writes its files into dir.
#pragma once

#include <string>

#include "palettes.h"

void write_backgrounds(const std::string& dir);  // the 320 x 240 backgrounds
void write_captions(const std::string& dir);     // titles and captions set in a font
void write_panels(const std::string& dir);       // scene 4's pictures, the gallery, scene 7's pictures
void write_worms(const std::string& dir);        // scene 6's strip in the grid's colour cells
void write_texture(const std::string& dir);      // temp.pcx, the torus's picture
void write_meshes(const std::string& dir);       // every .asc mesh
int write_icons(const std::string& dir);        // the desktop's icon (not in data.dat): 0, or 1 after a message
