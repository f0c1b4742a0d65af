"""The demo world's fixed content: rooms, items, help topics, boards, the map and the clock."""

from dataclasses import dataclass, field

ESC = "\x1b"
RESET = ESC + "[0m"


def colour(code: str, text: str) -> str:
    """text in one SGR colour ("31".."37", optionally "1;" for bold), then back to normal."""
    return f"{ESC}[{code}m{text}{RESET}"


def red(text):
    return colour("31", text)


def green(text):
    return colour("32", text)


def yellow(text):
    return colour("1;33", text)


def blue(text):
    return colour("1;34", text)


def magenta(text):
    return colour("35", text)


def cyan(text):
    return colour("36", text)


def white(text):
    return colour("1;37", text)


DIRECTIONS = {
    "n": "north", "s": "south", "e": "east", "w": "west", "u": "up", "d": "down",
}
OPPOSITE = {"north": "south", "south": "north", "east": "west", "west": "east",
            "up": "down", "down": "up"}
STEP = {"north": (0, -1, 0), "south": (0, 1, 0), "east": (1, 0, 0), "west": (-1, 0, 0),
        "up": (0, 0, 1), "down": (0, 0, -1)}


@dataclass
class Item:
    keyword: str
    short: str
    ident: str  # what "identify" tells about it


@dataclass
class Room:
    key: str
    name: str
    pos: tuple[int, int, int]
    desc: str
    exits: dict[str, str]
    items: list[Item] = field(default_factory=list)
    sound: str | None = None  # cue played on entering
    hurts: int = 0  # hit points lost on entering
    utf8: bool = False  # shown on the text port as UTF-8 bytes, not Latin-1
    area: str = "Town"  # told to clients in the room data


def as_utf8(text: str) -> str:
    """text whose Latin-1 bytes are the UTF-8 bytes of `text`, for the Latin-1 text port."""
    return text.encode("utf-8").decode("latin-1")


ITEMS = {
    "lantern": Item("lantern", "a brass lantern",
                    "Object 'brass lantern' is of type light.\r\nWeight 3, value 40 gold.\r\n"
                    "It burns for 200 hours.\r\nThe lantern glows faintly with a steady flame.\r\n"),
    "key": Item("key", "a rusty key",
                "Object 'rusty key' is of type key.\r\nWeight 1, value 2 gold.\r\n"
                "It seems to belong to a cellar door somewhere nearby.\r\n"),
    "bread": Item("bread", "a loaf of bread",
                  "Object 'loaf of bread' is of type food.\r\nWeight 1, value 5 gold.\r\n"
                  "Fills you for 6 hours.\r\n"),
    "shield": Item("shield", "a wooden shield",
                   "Object 'wooden shield' is of type armor.\r\nWeight 8, value 60 gold.\r\n"
                   "Armor class 3. Can be worn on the arm.\r\n"),
    "bell": Item("bell", "a silver bell",
                 "Object 'silver bell' is of type treasure.\r\nWeight 2, value 250 gold.\r\n"
                 "Affects: charisma by 1.\r\nIt rings softly when shaken.\r\n"),
    "scroll": Item("scroll", "a faded scroll",
                   "Object 'faded scroll' is of type scroll.\r\nWeight 1, value 120 gold.\r\n"
                   "Level 5 spells of: recall.\r\n"),
}


def make_rooms() -> dict[str, Room]:
    rooms = [
        Room("square", "Town Square", (0, 0, 0),
             "You stand in the middle of a cobbled square. A stone fountain splashes in its\r\n"
             "centre, and stairs lead down into a wine cellar. Streets run off in every\r\n"
             "direction.",
             {"north": "gate", "east": "market", "west": "temple", "south": "harbour",
              "down": "cellar"},
             [ITEMS["bread"]]),
        Room("gate", "North Gate", (0, -1, 0),
             "The town's north gate stands open. Two bored guards lean on their spears.\r\n"
             "A dark forest path leads north.",
             {"south": "square", "north": "forest"}),
        Room("forest", "Forest Path", (0, -2, 0),
             "Thorny brambles crowd the narrow path and scratch at you as you pass.\r\n"
             "The trees grow too thick to go any further.",
             {"south": "gate"}, [ITEMS["scroll"]], hurts=12, area="Thorn Forest"),
        Room("market", "Market Street", (1, 0, 0),
             "Stalls line the street, their keepers crying their wares. A painted notice\r\n"
             "says: See the world's notes at http://example.org/tavclient/demo for news.",
             {"west": "square", "east": "cafe"}, [ITEMS["shield"], ITEMS["lantern"]]),
        Room("cafe", "Caf\u00e9 de la For\u00eat", (2, 0, 0),
             "A little caf\u00e9 smelling of cr\u00e8me br\u00fbl\u00e9e and fresh bread.\r\n"
             "The board reads: \u00ab Cr\u00e8me br\u00fbl\u00e9e, 3 \u00e9cus \u2192 ma\u00eetre "
             "d'h\u00f4tel \u00bb.\r\n"
             "(Sent as UTF-8: a profile with that text encoding reads it.)",
             {"west": "market"}, utf8=True),
        Room("temple", "Temple of the Lamp", (-1, 0, 0),
             "Lamps burn in niches along the quiet nave. A narrow stair winds up into the\r\n"
             "bell tower.",
             {"east": "square", "up": "tower"}),
        Room("tower", "Bell Tower", (-1, 0, 1),
             "A great bronze bell hangs above you. As you arrive, it chimes once.",
             {"down": "temple"}, [ITEMS["bell"]], sound="chime.wav"),
        Room("harbour", "Harbour", (0, 1, 0),
             "Fishing boats bob at the quay and gulls wheel overhead. The sea stretches\r\n"
             "away to the south. Sailors mending nets hum a shanty.",
             {"north": "square"}, [ITEMS["key"]], sound="shanty.mod"),
        Room("cellar", "Wine Cellar", (0, 0, -1),
             "Barrels line the walls of this cool cellar. A minstrel in the corner plays a\r\n"
             "merry tune on a vibraphone. Chalked on a barrel: \u00abCh\u00e2teau Aur\u00e9lie,\r\n"
             "cr\u00e8me de pomme, 12 \u00e9cus \u00e0 la ma\u00eetresse \u00c6lfrida "
             "\u00d8stby, na\u00efve \u00fcber alles\u00bb.",
             {"up": "square"}, sound="tune.mid"),
    ]
    return {room.key: room for room in rooms}


START_ROOM = "square"

HELP_TOPICS = {
    "commands": "Commands: look, north/south/east/west/up/down (n s e w u d), who, say,\r\n"
                "chat, score, inventory (i), equipment (eq), get, drop, identify, sound,\r\n"
                "edit, note, pray, msgbox, board, news, time, clear, client, compress,\r\n"
                "colours, help, quit.\r\n",
    "movement": "Move with north, south, east, west, up and down, or n s e w u d.\r\n"
                "Every step costs movement points; they come back while you rest.\r\n",
    "who": "who - lists the players in the world.\r\n",
    "say": "say <text> - speak to everyone in the room.\r\n",
    "chat": "chat <text> - speak on the gossip channel, heard everywhere.\r\n",
    "score": "score - your level, experience and condition.\r\n",
    "inventory": "inventory (i) - what you carry.\r\n",
    "equipment": "equipment (eq) - what you wear.\r\n",
    "get": "get <item> - pick up an item from the room.\r\n",
    "drop": "drop <item> - put down an item you carry.\r\n",
    "identify": "identify <item> - learn about an item you carry or see.\r\n",
    "sound": "sound <chime|tune|shanty|silence> - play a sound cue (WAV, MIDI, MOD, MP3);\r\n"
             "sound stop - stop it.\r\n",
    "edit": "edit - edit your description in the client's editor.\r\n",
    "client": "client - what your connection agreed on: telnet options, terminal, window.\r\n",
    "compress": "compress on|off - start or end the compressed text stream (MCCP).\r\n",
    "colours": "colours - a test card: 16, 256 and true colours as far as your client says it\r\n"
               "shows them (MTTS), and text beyond Latin-1 (UTF-8 connections).\r\n",
    "note": "note - write a note to yourself in the client's editor, starting empty.\r\n",
    "pray": "pray - give your magic to the Lamp (no mana at all); pray again for it back.\r\n",
    "msgbox": "msgbox - the world shows you a message box.\r\n",
    "board": "board - lists the boards. Read and post in the client's boards window.\r\n",
    "time": "time - the game's time and date.\r\n",
    "news": "news - the latest news, also sent to the client as a file.\r\n",
    "quit": "quit - leave the world.\r\n",
    "map": "The map shows the rooms around you: white is you, yellow other players,\r\n"
           "cyan a room with stairs, brown roads, blue water, green woods.\r\n",
}
HELP_ENTRY_SIZE = 40

NEWS = ("Demo World news\r\n"
        "===============\r\n"
        "\r\n"
        "* The Bell Tower has a new bell. Climb up from the Temple to hear it.\r\n"
        "* A minstrel plays in the Wine Cellar below the Town Square.\r\n"
        "* The boards are open: Announcements, General, Trade and Quests.\r\n"
        "* More at http://example.org/tavclient/news\r\n")

CHATTER = [
    ("Tavish", "Anyone seen my lantern? I left it at the market."),
    ("Morwen", "The bell tower chimes are lovely today: http://example.org/tavclient/bell"),
    ("Tavish", "Selling bread, five gold a loaf, ask at the square."),
    ("Grimble", "Thorns on the forest path again. Bring bandages."),
    ("Morwen", "New post on the General board, have a read."),
    ("Grimble", "The minstrel in the cellar only knows one tune."),
]


@dataclass
class Post:
    author: str
    heading: str
    body: str


@dataclass
class Board:
    number: int
    title: str
    posts: list[Post]


def make_boards() -> list[Board]:
    return [
        Board(0, "Announcements", [
            Post("Tavish", "Welcome to the demo world",
                 "Welcome!\r\nThis little world exists to show what the client can do.\r\n"
                 "Walk around, pick things up, identify them and read the boards.\r\n"),
            Post("Tavish", "Sounds", "Visit the Bell Tower and the Wine Cellar for sounds.\r\n"),
        ]),
        Board(1, "General", [
            Post("Morwen", "Lost cat", "Has anyone seen a grey cat near the harbour?\r\n"),
        ]),
        Board(2, "Trade", [
            Post("Grimble", "Bandages wanted", "Paying 3 gold each for clean bandages.\r\n"
                 "Find me at the North Gate.\r\n"),
        ]),
        Board(3, "Quests", [
            Post("Tavish", "The cellar key", "A rusty key lies somewhere by the sea.\r\n"
                 "Whoever brings it to the Wine Cellar gets a free cup.\r\n"),
            Post("Morwen", "re: The cellar key", "I looked at the harbour. Only gulls.\r\n"),
            Post("Grimble", "Thorns", "Clear the forest path and the guards will thank you.\r\n"),
        ]),
    ]


def post_line(index: int, post: Post) -> str:
    return f"{index + 1:2d} {post.author:<10}::{post.heading}"


class GameClock:
    """Game time runs one game minute per real second, from 6 am on day 1."""

    MONTHS = ["the Thaw", "the Sowing", "the Sun", "the Harvest", "the Frost", "the Long Night"]

    def __init__(self, start: float):
        self.start = start

    def minutes(self, now: float) -> int:
        return 6 * 60 + int(now - self.start)

    def texts(self, now: float) -> tuple[str, str]:
        total = self.minutes(now)
        hour, minute = (total // 60) % 24, total % 60
        day = total // (24 * 60)
        suffix = "am" if hour < 12 else "pm"
        time_text = f"{(hour + 11) % 12 + 1}:{minute:02d} {suffix}"
        date_text = (f"Day {day % 30 + 1} of the Month of {self.MONTHS[(day // 30) % 6]}, "
                     f"year {512 + day // 180}")
        return time_text, date_text


# Map cell flags, as the client colours them.
CELL_PLAYER = 0x1
CELL_DEEP_WATER = 0x2
CELL_WATER = 0x4
CELL_ROOM = 0x8
CELL_OTHER_PLAYER = 0x10
CELL_GRASS = 0x20
CELL_FOREST = 0x40
CELL_ROAD = 0x80
CELL_STAIRS = 0x100

MAP_SIZE = 22
MAP_CENTRE = 11
ROOM_SPACING = 4


def _terrain(gx: int, gy: int) -> int:
    noise = ((gx * 73856093) ^ (gy * 19349663)) & 0xFFFF
    if gy >= 9:
        return CELL_DEEP_WATER
    if gy >= 6:
        return CELL_WATER
    if gy <= -9:
        return CELL_FOREST if noise % 3 else 0
    return CELL_GRASS if noise % 7 == 0 else 0


def build_map(rooms: dict[str, Room], here: Room, others: set[str]) -> list[list[int]]:
    """A 22 x 22 grid grid[x][y] centred on `here`, showing the rooms of its level."""
    hx, hy, hz = here.pos
    ox, oy = hx * ROOM_SPACING - MAP_CENTRE, hy * ROOM_SPACING - MAP_CENTRE
    grid = [[_terrain(ox + x, oy + y) for y in range(MAP_SIZE)] for x in range(MAP_SIZE)]

    def put(gx, gy, value):
        x, y = gx - ox, gy - oy
        if 0 <= x < MAP_SIZE and 0 <= y < MAP_SIZE:
            grid[x][y] = value

    level = [room for room in rooms.values() if room.pos[2] == hz]
    for room in level:
        rx, ry = room.pos[0] * ROOM_SPACING, room.pos[1] * ROOM_SPACING
        for direction, target in room.exits.items():
            dx, dy, dz = STEP[direction]
            if dz == 0:
                for step in range(1, ROOM_SPACING):
                    put(rx + dx * step, ry + dy * step, CELL_ROAD)
    for room in level:
        rx, ry = room.pos[0] * ROOM_SPACING, room.pos[1] * ROOM_SPACING
        if room is here:
            value = CELL_PLAYER
        elif room.key in others:
            value = CELL_OTHER_PLAYER
        elif "up" in room.exits or "down" in room.exits:
            value = CELL_STAIRS
        else:
            value = CELL_ROOM
        put(rx, ry, value)
    return grid
