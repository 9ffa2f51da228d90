#pragma once

#include "model/SoundItem.h"

#include <array>
#include <string_view>

// The 43 recordings shipped with the program, in the order of the built-in list (after the synthesized
// sounds). Six of them keep "synth." ids from the time they were synthesized; ids never change, because
// documents and share packs store them. Each row's audio is the file `file` + ".m4a" in the built-in
// sounds folder. Constant; read from any thread.
namespace tc::RecordedSounds {

struct Recording {
    std::string_view id;
    std::string_view name;
    SoundCategory category;
    std::string_view file; // resource name without the ".m4a" extension
};

inline constexpr std::array<Recording, 43> kAll = {{
    {"synth.meow", "Cat meow", SoundCategory::animals, "rec_meow"},
    {"synth.mew", "Kitten mew", SoundCategory::animals, "rec_kitten"},
    {"synth.purr", "Purr and meow", SoundCategory::animals, "rec_purr"},
    {"synth.quack", "Duck quack", SoundCategory::animals, "rec_quack"},
    {"synth.woof", "Dog woof", SoundCategory::animals, "rec_woof"},
    {"synth.chirp", "Bird chirp", SoundCategory::animals, "rec_chirp"},
    {"rec.meow2", "Cat, short meow", SoundCategory::animals, "rec_meow2"},
    {"rec.bark", "Dog bark", SoundCategory::animals, "rec_bark"},
    {"rec.puppy", "Puppy yips", SoundCategory::animals, "rec_puppy"},
    {"rec.moo", "Cow moo", SoundCategory::animals, "rec_moo"},
    {"rec.goat", "Goat", SoundCategory::animals, "rec_goat"},
    {"rec.sheep", "Sheep baa", SoundCategory::animals, "rec_sheep"},
    {"rec.rooster", "Rooster", SoundCategory::animals, "rec_rooster"},
    {"rec.chicken", "Chicken", SoundCategory::animals, "rec_chicken"},
    {"rec.frog", "Frog", SoundCategory::animals, "rec_frog"},
    {"rec.owl", "Owl hoot", SoundCategory::animals, "rec_owl"},
    {"rec.pig", "Pig oink", SoundCategory::animals, "rec_pig"},
    {"rec.horse", "Horse neigh", SoundCategory::animals, "rec_horse"},
    {"rec.applause", "Applause", SoundCategory::memes, "rec_applause"},
    {"rec.wow", "Crowd wow", SoundCategory::memes, "rec_wow"},
    {"rec.aww", "Crowd aww", SoundCategory::memes, "rec_aww"},
    {"rec.badumtss", "Ba-dum-tss, drums", SoundCategory::memes, "rec_badumtss"},
    {"rec.whoopee", "Whoopee cushion", SoundCategory::memes, "rec_whoopee"},
    {"rec.fart", "Fart", SoundCategory::memes, "rec_fart"},
    {"rec.burp", "Burp", SoundCategory::memes, "rec_burp"},
    {"rec.hiccup", "Hiccup", SoundCategory::memes, "rec_hiccup"},
    {"rec.kiss", "Smooch", SoundCategory::memes, "rec_kiss"},
    {"rec.squeak", "Squeaky toy", SoundCategory::memes, "rec_squeak"},
    {"rec.honk", "Clown honk", SoundCategory::memes, "rec_honk"},
    {"rec.slideup", "Slide whistle up", SoundCategory::memes, "rec_slideup"},
    {"rec.slidedown", "Slide whistle down", SoundCategory::memes, "rec_slidedown"},
    {"rec.boing", "Spring boing", SoundCategory::memes, "rec_boing"},
    {"rec.kaching", "Ka-ching", SoundCategory::everyday, "rec_kaching"},
    {"rec.bikebell", "Bike bell", SoundCategory::everyday, "rec_bikebell"},
    {"rec.doorbell", "Doorbell", SoundCategory::everyday, "rec_doorbell"},
    {"rec.typebell", "Typewriter bell", SoundCategory::everyday, "rec_typebell"},
    {"rec.shutter", "Camera shutter", SoundCategory::everyday, "rec_shutter"},
    {"rec.cork", "Champagne cork", SoundCategory::everyday, "rec_cork"},
    {"rec.drop", "Water drop", SoundCategory::everyday, "rec_drop"},
    {"rec.clink", "Glass clink", SoundCategory::everyday, "rec_clink"},
    {"rec.snap", "Finger snap", SoundCategory::everyday, "rec_snap"},
    {"rec.cowbell", "Cowbell", SoundCategory::everyday, "rec_cowbell"},
    {"rec.gong", "Gong", SoundCategory::everyday, "rec_gong"},
}};

} // namespace tc::RecordedSounds
