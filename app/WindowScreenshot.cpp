#include "app/WindowScreenshot.h"

#include <GL/gl.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

namespace app {

Image ReadBackBuffer(int width, int height) {
    Image image;
    image.width = std::max(width, 0);
    image.height = std::max(height, 0);
    const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
    image.rgb.resize(stride * static_cast<std::size_t>(image.height));
    if (image.rgb.empty()) return image;
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, image.width, image.height, GL_RGB, GL_UNSIGNED_BYTE, image.rgb.data());
    // OpenGL gives the bottom row first; PNG wants the top row first.
    std::vector<unsigned char> row(stride);
    for (int top = 0, bottom = image.height - 1; top < bottom; ++top, --bottom) {
        unsigned char* upper = image.rgb.data() + stride * static_cast<std::size_t>(top);
        unsigned char* lower = image.rgb.data() + stride * static_cast<std::size_t>(bottom);
        std::memcpy(row.data(), upper, stride);
        std::memcpy(upper, lower, stride);
        std::memcpy(lower, row.data(), stride);
    }
    return image;
}

bool HasSeveralColours(const Image& image) {
    if (image.rgb.size() < 6) return false;
    const unsigned char* first = image.rgb.data();
    for (std::size_t i = 3; i < image.rgb.size(); i += 3)
        if (std::memcmp(first, image.rgb.data() + i, 3) != 0) return true;
    return false;
}

bool WritePng(const Image& image, const std::filesystem::path& file, std::string& error) {
    if (image.rgb.empty()) {
        error = "the window has no pixels";
        return false;
    }
    std::vector<unsigned char> encoded;
    const auto append = [](void* context, void* data, int size) {
        auto& out = *static_cast<std::vector<unsigned char>*>(context);
        const auto* bytes = static_cast<const unsigned char*>(data);
        out.insert(out.end(), bytes, bytes + size);
    };
    if (!stbi_write_png_to_func(append, &encoded, image.width, image.height, 3, image.rgb.data(), image.width * 3)) {
        error = "cannot encode the picture as PNG";
        return false;
    }
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(encoded.data()), static_cast<std::streamsize>(encoded.size()));
    out.close();
    if (!out) {
        error = "cannot write " + file.string() + ": " + std::generic_category().message(errno);
        return false;
    }
    return true;
}

} // namespace app
