// Feeds arbitrary text to the mesh reader, then loads it into a world and draws it once.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine3d/camera.h"
#include "engine3d/mesh.h"
#include "engine3d/render.h"
#include "engine3d/transform.h"
#include "engine3d/world.h"
#include "video/framebuffer.h"

static const std::string& scratch_path() {
    static const std::string path = std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") +
                                    "/read_asc_fuzz." + std::to_string(getpid()) + ".asc";
    return path;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FrameBuffer screen;
    frame_buf = &screen;
    const char* path = scratch_path().c_str();
    FILE* f = fopen(path, "wb");
    if (!f) return 0;
    fwrite(data, 1, size, f);
    fclose(f);

    Mesh mesh;
    if (read_asc_mesh(path, &mesh, 1.5f) == 0) mesh_free_arrays(&mesh);

    World world{};
    if (world_create(&world, 1) == 0) {
        int index = world_load_object(&world, path, 2.0f, 0, 0, 0, 16, 50, 50, 50);
        if (index >= 0 && world_alloc_work(&world) == 0) {
            Camera camera;
            camera_init(&camera, 400, 160, 120, 1, 1, 0, 320, 0, 240);
            vec3_set_normalised(&world.light, 0, 0, -1);
            for (int32_t mode : {16, 0}) {
                mesh_set_colour(&world.slots[index].mesh, mode, 200, 0, 0);
                world_begin_frame(&world);
                object_rotate_move(&world, index, 0.3f, 0.7f, 0.1f, 0, 0, 0);
                object_transform(&world, index, &camera);
                world_render(&world, &camera);
            }
        }
        world_destroy(&world);
    }
    unlink(path);
    return 0;
}
