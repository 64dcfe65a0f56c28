#include "assets/catalogue.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "assets/pcx.h"

Palette* pal_b;
Palette* pal_intro;
Palette* pal_gb;
Palette* pal_white;
Palette* pal_grey;
Palette* pal_wapal;
Palette* pal_cspal;
Palette* pal_golden;

Sprite* img_intro;
Sprite* img_vlemb;
Sprite* img_lights;
Sprite* img_radbd;
Sprite* img_chaos;
Sprite* img_osiris;
Sprite* img_cu;
Sprite* img_oibg;
Sprite* img_hth;
Sprite* img_wbd;
Sprite* img_lose;
Sprite* img_sense;
Sprite* img_gallery[GALLERY_PICTURES];
Sprite* img_worms;
Sprite* img_csbd;
Sprite* img_cs[CS_PICTURES];
Sprite* img_gbd;
Sprite* img_snatural;
Sprite* img_natural;
Sprite* img_ess;
Sprite* img_soul;
Sprite* img_good;

World world_scene2;
World world_scene3;
World world_scene4;
World world_scene5;
World world_scene7;
World world_scene8;
World world_scene9;
World world_scene10;

int obj_pentagon = -1;
int obj_pyramid_a = -1;
int obj_pyramid_b = -1;
int obj_sphere3 = -1;
int obj_osiris = -1;
int obj_star = -1;
int obj_vl = -1;
int obj_sphere7 = -1;
int obj_toorus = -1;
int obj_eo = -1;
int obj_sphere10 = -1;

namespace {

constexpr int PCX_PALETTE_BYTES = 768;
constexpr int PICTURE_BYTES = 256 * 256;

enum EntryKind { PALETTE, SPRITE, PICTURE, WORLD, OBJECT, WORK };

// One step of the catalogue. WORLD creates a world with `number` slots, OBJECT loads a mesh into
// it, WORK reserves its frame memory after the last object; PICTURE fills picture slot `number`.
struct Entry {
    EntryKind kind;
    const char* path;
    Palette** palette;
    Sprite** sprite;
    World* world;
    int* object;
    int number;
    float scale;
    int32_t mode;
    uint8_t r, g, b;  // colour bytes: flat shading takes its range from r
    bool needed;  // some scene draws with it
};

Entry palette(const char* path, Palette** slot, bool needed = true) {
    return {PALETTE, path, slot, nullptr, nullptr, nullptr, 0, 0, 0, 0, 0, 0, needed};
}
Entry sprite(const char* path, Sprite** slot) {
    return {SPRITE, path, nullptr, slot, nullptr, nullptr, 0, 0, 0, 0, 0, 0, true};
}
Entry picture(World* w, int index, const char* path) {
    return {PICTURE, path, nullptr, nullptr, w, nullptr, index, 0, 0, 0, 0, 0, true};
}
Entry world(World* w, int capacity) {
    return {WORLD, nullptr, nullptr, nullptr, w, nullptr, capacity, 0, 0, 0, 0, 0, true};
}
Entry object(World* w, const char* path, float scale, int32_t mode, uint8_t r, uint8_t g, uint8_t b, int* slot) {
    return {OBJECT, path, nullptr, nullptr, w, slot, 0, scale, mode, r, g, b, true};
}
Entry work(World* w) { return {WORK, nullptr, nullptr, nullptr, w, nullptr, 0, 0, 0, 0, 0, 0, true}; }

const Entry catalogue[] = {
    palette("data/b.pal", &pal_b),
    sprite("data/intro.img", &img_intro),
    palette("data/intro.pal", &pal_intro),
    sprite("data/vlemb.img", &img_vlemb),
    sprite("data/lights.img", &img_lights),
    world(&world_scene2, 3),
    object(&world_scene2, "data/pentagon.asc", 3.0f, 16, 50, 50, 50, &obj_pentagon),
    object(&world_scene2, "data/pyramid.asc", 2.5f, 16, 50, 50, 50, &obj_pyramid_a),
    object(&world_scene2, "data/pyramid.asc", 2.5f, 16, 50, 50, 50, &obj_pyramid_b),
    work(&world_scene2),
    palette("data/gb.pal", &pal_gb),
    sprite("data/radbd.img", &img_radbd),
    sprite("data/chaos.img", &img_chaos),
    world(&world_scene3, 1),
    object(&world_scene3, "data/sphere.asc", 0.3f, 16, 112, 112, 112, &obj_sphere3),
    work(&world_scene3),
    palette("data/white.pal", &pal_white, false),
    palette("data/grey.pal", &pal_grey),
    sprite("data/osiris.img", &img_osiris),
    sprite("data/cu.img", &img_cu),
    sprite("data/oibg.img", &img_oibg),
    sprite("data/hth.img", &img_hth),
    world(&world_scene4, 1),
    object(&world_scene4, "data/osiris.asc", 0.9f, 16, 128, 128, 128, &obj_osiris),
    work(&world_scene4),
    palette("data/wapal.pal", &pal_wapal),
    sprite("data/wbd.img", &img_wbd),
    sprite("data/lose.img", &img_lose),
    sprite("data/sense.img", &img_sense),
    world(&world_scene5, 1),
    object(&world_scene5, "data/star.asc", 0.55f, 16, 230, 188, 188, &obj_star),
    work(&world_scene5),
    sprite("data/gadb.img", &img_gallery[0]),
    sprite("data/gamc.img", &img_gallery[1]),
    sprite("data/gcrs.img", &img_gallery[2]),
    sprite("data/gdmx.img", &img_gallery[3]),
    sprite("data/gec.img", &img_gallery[4]),
    sprite("data/gfl.img", &img_gallery[5]),
    sprite("data/gk2.img", &img_gallery[6]),
    sprite("data/gnoc.img", &img_gallery[7]),
    sprite("data/gobs.img", &img_gallery[8]),
    sprite("data/gr11.img", &img_gallery[9]),
    sprite("data/grpl.img", &img_gallery[10]),
    sprite("data/gste.img", &img_gallery[11]),
    sprite("data/gtaz.img", &img_gallery[12]),
    sprite("data/gtbl.img", &img_gallery[13]),
    sprite("data/gtmb.img", &img_gallery[14]),
    sprite("data/gwoo.img", &img_gallery[15]),
    world(&world_scene9, 1),
    object(&world_scene9, "data/vl.asc", 2.9f, 16, 220, 220, 220, &obj_vl),
    work(&world_scene9),
    sprite("data/worms.img", &img_worms),
    sprite("data/csbd.img", &img_csbd),
    palette("data/cspal.pal", &pal_cspal),
    sprite("data/ckr.img", &img_cs[0]),
    sprite("data/csp.img", &img_cs[1]),
    sprite("data/cza.img", &img_cs[2]),
    sprite("data/cant.img", &img_cs[3]),
    sprite("data/csm.img", &img_cs[4]),
    sprite("data/csef.img", &img_cs[5]),
    world(&world_scene7, 1),
    object(&world_scene7, "data/sphere.asc", 0.7f, 16, 124, 124, 124, &obj_sphere7),
    work(&world_scene7),
    sprite("data/gbd.img", &img_gbd),
    sprite("data/snatural.img", &img_snatural),
    sprite("data/natural.img", &img_natural),
    palette("data/golden.pal", &pal_golden),
    picture(&world_scene8, 0, "data/temp.pcx"),
    world(&world_scene8, 1),
    object(&world_scene8, "data/toorus.asc", 1.83f, 18, 32, 32, 32, &obj_toorus),
    work(&world_scene8),
    sprite("data/ess.img", &img_ess),
    sprite("data/soul.img", &img_soul),
    sprite("data/good.img", &img_good),
    world(&world_scene10, 2),
    object(&world_scene10, "data/eo.asc", 1.0f, 16, 220, 220, 220, &obj_eo),
    object(&world_scene10, "data/sphere.asc", 0.2f, 16, 220, 220, 220, &obj_sphere10),
    work(&world_scene10),
};

void load_entry(const Entry& e) {
    switch (e.kind) {
        case PALETTE: *e.palette = load_palette(e.path); break;
        case SPRITE: *e.sprite = load_sprite(e.path); break;
        case PICTURE: load_picture(e.world, e.number, e.path); break;
        case WORLD: world_create(e.world, e.number); break;
        case OBJECT:
            *e.object = world_load_object(e.world, e.path, e.scale, 0, 0, 0, e.mode, e.r, e.g, e.b);
            break;
        case WORK: world_alloc_work(e.world); break;
    }
}

// A world is destroyed with the objects still in it; its work memory goes with it.
void unload_entry(const Entry& e) {
    switch (e.kind) {
        case PALETTE:
            if (*e.palette) free_palette(*e.palette);
            *e.palette = nullptr;
            break;
        case SPRITE: free_sprite_slot(e.sprite); break;
        case PICTURE: free_picture(e.world, e.number); break;
        case WORLD: world_destroy(e.world); break;
        case OBJECT: *e.object = -1; break;
        case WORK: break;
    }
}

// Why a file did not load: the file system's reason, else what its reader wants.
const char* load_failure(const Entry& e) {
    struct stat st;
    if (stat(e.path, &st) != 0) return errno == ENOENT ? "missing" : strerror(errno);
    switch (e.kind) {
        case PALETTE: return "not a readable palette";
        case SPRITE: return "not an IMAGE picture";
        case PICTURE: return "not a PCX picture";
        case OBJECT:
            return *e.object >= 0 ? "no memory for its frame work" : "not a triangle mesh in 3D Studio ASCII";
        case WORLD:
        case WORK: break;
    }
    return "not readable";
}

// Why a file that a scene needs cannot be used, written into why; false if it can.
bool entry_bad(const Entry& e, char* why, size_t size) {
    if (!e.needed) return false;
    bool loaded = true;
    switch (e.kind) {
        case PALETTE: loaded = *e.palette != nullptr; break;
        case SPRITE: loaded = *e.sprite != nullptr; break;
        case PICTURE: loaded = e.world->pictures[e.number].pixels != nullptr; break;
        // An object counts as loaded only if its world could also reserve its frame memory.
        case OBJECT: loaded = *e.object >= 0 && e.world->work_vertices != nullptr; break;
        case WORLD:
        case WORK: return false;
    }
    if (!loaded) {
        snprintf(why, size, "%s", load_failure(e));
        return true;
    }
    // The scenes fade all 256 entries of a palette and set it whole.
    const Palette* p = e.kind == PALETTE ? *e.palette : nullptr;
    if (p && (p->first != 0 || p->count != 256)) {
        snprintf(why, size, "%d colours from index %d, not 256 from index 0", p->count, p->first);
        return true;
    }
    return false;
}

// A mesh loaded for several objects is named once.
bool named_before(const Entry* e) {
    char why[128];
    for (const Entry* p = catalogue; p < e; p++)
        if (p->path && strcmp(p->path, e->path) == 0 && entry_bad(*p, why, sizeof why)) return true;
    return false;
}

}  // namespace

void load_data() {
    printf("loading data ...\n");
    load_catalogue();
}

void load_catalogue() {
    for (const Entry& e : catalogue) load_entry(e);
}

void unload_data() {
    for (const Entry& e : catalogue) unload_entry(e);
}

void free_sprite_slot(Sprite** slot) {
    if (*slot) free_sprite(*slot);
    *slot = nullptr;
}

int load_picture(World* world, int index, const char* path) {
    PictureSlot* slot = &world->pictures[index];
    slot->path = path;
    slot->palette = static_cast<uint8_t*>(malloc(PCX_PALETTE_BYTES));
    slot->pixels = static_cast<uint8_t*>(calloc(PICTURE_BYTES, 1));  // what the picture leaves is 0
    if (!slot->palette || !slot->pixels || read_pcx(path, slot->palette, slot->pixels) != 0) {
        printf("file (%s) not found.\n", path);
        free_picture(world, index);
        return -1;
    }
    return 0;
}

void free_picture(World* world, int index) {
    PictureSlot* slot = &world->pictures[index];
    free(slot->palette);
    free(slot->pixels);
    slot->palette = nullptr;
    slot->pixels = nullptr;
}

int list_bad_assets(char* buf, size_t size) {
    if (size == 0) return 0;
    buf[0] = '\0';
    int bad = 0;
    for (const Entry& e : catalogue) {
        char why[128];
        if (!entry_bad(e, why, sizeof why) || named_before(&e)) continue;
        bad++;
        size_t used = strlen(buf);
        snprintf(buf + used, size - used, "%s%s (%s)", bad > 1 ? ", " : "", e.path, why);
    }
    return bad;
}
