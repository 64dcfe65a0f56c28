// What the scenes free on the shared run of the show: every sprite and world a scene frees at its
// end leaves an empty slot behind, so that nothing can reach freed memory through it and freeing
// what is still loaded frees each block once.
#include <gtest/gtest.h>

#include "assets/catalogue.h"
#include "support/show_run.h"

namespace {

void verify(const ShowRecord&) {
    const struct {
        const char* name;
        Sprite* const* slot;
    } sprites[] = {{"lights (scene 2)", &img_lights}, {"vlemb (scene 2)", &img_vlemb}, {"osiris (scene 4)", &img_osiris},
                   {"cu (scene 4)", &img_cu},         {"hth (scene 4)", &img_hth},     {"oibg (scene 4)", &img_oibg}};
    for (const auto& s : sprites) EXPECT_EQ(*s.slot, nullptr) << s.name;
    const struct {
        int scene;
        const World* world;
    } worlds[] = {{2, &world_scene2}, {3, &world_scene3}, {4, &world_scene4}, {9, &world_scene9}, {10, &world_scene10}};
    for (const auto& w : worlds)
        EXPECT_TRUE(w.world->slots == nullptr && w.world->object_count == 0 && w.world->work_vertices == nullptr)
            << "world of scene " << w.scene;
}

int registered = register_show_check({"assets freed by the scenes", nullptr, verify});

}  // namespace
