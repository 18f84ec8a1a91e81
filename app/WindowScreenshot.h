// Pictures of the window: the back buffer read into memory and saved as PNG.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace app {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb; // rows top to bottom, 3 bytes a pixel
};

// Reads the current OpenGL context's back buffer; call after drawing, before swapping.
Image ReadBackBuffer(int width, int height);

// False when every pixel has the same colour: the window drew nothing worth a picture.
bool HasSeveralColours(const Image& image);

bool WritePng(const Image& image, const std::filesystem::path& file, std::string& error);

} // namespace app
