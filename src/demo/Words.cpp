// SPDX-License-Identifier: GPL-3.0-or-later
#include "Words.h"

namespace Demo::Words {
namespace {

const char* const maleFirstNames[] = {
    "James",   "John",    "Robert",  "Michael", "David",     "Richard",  "Thomas",      "Daniel",
    "Matthew", "Andrew",  "Mark",    "Paul",    "Steven",    "Peter",    "Christopher", "Ian",
    "Simon",   "Stephen", "Gary",    "Graham",  "Neil",      "Martin",   "Colin",       "Keith",
    "Alan",    "Philip",  "Nigel",   "Stuart",  "Adrian",    "Gareth",   "Rhys",        "Owen",
    "Callum",  "Jamie",   "Liam",    "Ryan",    "Harry",     "Oliver",   "George",      "Jack",
    "Samuel",  "Joseph",  "William", "Edward",  "Alexander", "Benjamin", "Charles",     "Henry",
    "Luke",    "Nathan",  "Kieran",  "Connor",  "Aidan",     "Declan",   "Hamish",      "Angus",
    "Fraser",  "Rory",    "Dominic", "Toby",    "Rajesh",    "Sanjay",   "Imran",       "Mohammed",
    "Tariq",   "Arjun",   "Wei",     "Kwame",   "Tomasz",    "Piotr",    "Luca",        "Marco",
    "Sean",    "Patrick", "Brendan", "Ewan",    "Dylan",     "Ethan",    "Noah",        "Leo",
};

const char* const femaleFirstNames[] = {
    "Mary",    "Elizabeth", "Sarah",     "Emma",     "Claire",   "Helen",     "Rachel",   "Laura",
    "Rebecca", "Joanne",    "Nicola",    "Karen",    "Susan",    "Julie",     "Alison",   "Fiona",
    "Gillian", "Catherine", "Katherine", "Louise",   "Jennifer", "Amanda",    "Lisa",     "Kelly",
    "Hannah",  "Charlotte", "Sophie",    "Emily",    "Olivia",   "Amelia",    "Jessica",  "Lucy",
    "Megan",   "Bethan",    "Sian",      "Rhiannon", "Eilidh",   "Isla",      "Niamh",    "Siobhan",
    "Aoife",   "Grace",     "Chloe",     "Zoë",      "Ellie",    "Harriet",   "Victoria", "Eleanor",
    "Alice",   "Rosie",     "Ruth",      "Margaret", "Patricia", "Deborah",   "Janet",    "Anne",
    "Priya",   "Aisha",     "Fatima",    "Anjali",   "Mei",      "Agnieszka", "Renée",    "Chiara",
    "Abigail", "Molly",     "Freya",     "Imogen",   "Jasmine",  "Natalie",   "Paula",    "Tracey",
};

const char* const surnames[] = {
    "Smith",      "Jones",      "Williams",  "Taylor",    "Brown",     "Davies",     "Evans",
    "Wilson",     "Thomas",     "Johnson",   "Roberts",   "Robinson",  "Thompson",   "Wright",
    "Walker",     "White",      "Edwards",   "Hughes",    "Green",     "Hall",       "Lewis",
    "Harris",     "Clarke",     "Patel",     "Jackson",   "Wood",      "Turner",     "Martin",
    "Cooper",     "Hill",       "Ward",      "Morris",    "Moore",     "Clark",      "Lee",
    "King",       "Baker",      "Harrison",  "Morgan",    "Allen",     "James",      "Scott",
    "Phillips",   "Watson",     "Davis",     "Parker",    "Price",     "Bennett",    "Young",
    "Griffiths",  "Mitchell",   "Kelly",     "Cook",      "Carter",    "Richardson", "Bailey",
    "Collins",    "Bell",       "Shaw",      "Murphy",    "Miller",    "Cox",        "Richards",
    "Khan",       "Marshall",   "Anderson",  "Simpson",   "Ellis",     "Adams",      "Singh",
    "Begum",      "Wilkinson",  "Foster",    "Chapman",   "Powell",    "Webb",       "Rogers",
    "Gray",       "Mason",      "Ali",       "Hunt",      "Hussain",   "Campbell",   "Matthews",
    "Owen",       "Palmer",     "Holmes",    "Mills",     "Barnes",    "Knight",     "Lloyd",
    "Butler",     "Russell",    "Barker",    "Fisher",    "Stevens",   "Jenkins",    "Murray",
    "Dixon",      "Harvey",     "Graham",    "Pearson",   "Ahmed",     "Fletcher",   "Walsh",
    "Kaur",       "Gibson",     "Howard",    "Andrews",   "Stewart",   "Elliott",    "Reynolds",
    "Saunders",   "Payne",      "Fox",       "Ford",      "Pearce",    "Day",        "Brooks",
    "West",       "Lawrence",   "Cole",      "Atkinson",  "Bradley",   "Spencer",    "Gill",
    "Dawson",     "Ball",       "Burton",    "O'Brien",   "Watts",     "Rose",       "Booth",
    "Perry",      "Ryan",       "Grant",     "Wells",     "Armstrong", "Francis",    "Rees",
    "Hayes",      "Hart",       "Hudson",    "Newman",    "Barrett",   "Webster",    "Hunter",
    "Gregory",    "Carr",       "Lowe",      "Page",      "Marsh",     "Riley",      "Dunn",
    "Woods",      "Parsons",    "Berry",     "Stone",     "Reid",      "Holland",    "Hawkins",
    "Harding",    "Porter",     "Robertson", "Newton",    "Oliver",    "Reed",       "Kennedy",
    "Williamson", "Bird",       "Gardner",   "Shah",      "Dodd",      "Macdonald",  "McLeod",
    "Nowak",      "Kowalski",   "Rossi",     "Chen",      "Nguyen",    "Okafor",     "Mensah",
    "Doherty",    "Fitzgerald", "Llewellyn", "Pritchard", "Vaughan",   "Ferguson",   "Sinclair",
};

const char* const companyStems[] = {
    "Northgate",   "Oakwood",   "Riverside",  "Bluebell",   "Kingfisher",  "Highfield",
    "Meadowbank",  "Redwood",   "Silverline", "Greenway",   "Brightwater", "Castlegate",
    "Harbourside", "Summit",    "Pinnacle",   "Phoenix",    "Crown",       "Anchor",
    "Beacon",      "Falcon",    "Heron",      "Willow",     "Elm Tree",    "Foxglove",
    "Granite",     "Lakeside",  "Millstone",  "Orchard",    "Parkside",    "Quayside",
    "Stonebridge", "Thistle",   "Valley",     "Westfield",  "Hawthorn",    "Juniper",
    "Larchwood",   "Swan",      "Kestrel",    "Ironbridge", "Copperfield", "Ashdown",
    "Bramble",     "Cedar",     "Dovecote",   "Eastgate",   "Fernhill",    "Glenside",
    "Hillcrest",   "Ivy House", "Jubilee",    "Keystone",   "Lighthouse",  "Moorland",
    "Nettlebed",   "Oakleaf",   "Primrose",   "Rosehill",   "Seaview",     "Tudor",
    "Unity",       "Victoria",  "Waterside",  "Yew Tree",   "Albion",      "Britannia",
    "Cornerstone", "Danebury",  "Evergreen",  "Fairway",    "Goldcrest",   "Horizon",
};

const char* const trades[] = {
    "Engineering",
    "Joinery",
    "Plumbing & Heating",
    "Catering",
    "Dental Practice",
    "Accountants",
    "Solicitors",
    "Print Services",
    "Electrical",
    "Garden Centre",
    "Motors",
    "Veterinary Surgery",
    "Estate Agents",
    "Architects",
    "Design",
    "Software",
    "Logistics",
    "Builders",
    "Roofing",
    "Bakery",
    "Florists",
    "Opticians",
    "Travel",
    "Recruitment",
    "Cleaning Services",
    "Consulting",
    "Fabrications",
    "Signs",
    "Windows & Doors",
    "Interiors",
    "Tiles",
    "Plant Hire",
    "Marine",
    "Packaging",
    "Laboratories",
    "Physiotherapy",
    "Pharmacy",
    "Insurance Brokers",
    "Financial Planning",
    "Media",
    "Kitchens",
    "Landscapes",
    "Removals",
    "Security",
    "Healthcare",
    "Training",
    "Surveyors",
    "Timber",
};

const char* const companySuffixes[] = {
    "Ltd", "Ltd", "Ltd", "Ltd", "Limited", "plc", "Ltd", "", "", "",
};

const char* const awkwardCompanyNames[] = {
    "What's Cooking? Catering", "Fish/Chips Express Ltd",    "A*Star Tutors",
    "Page: One Design Ltd",     "Cut & Dried <Hair Studio>", "\"The Old Forge\" Tearooms",
    "Bits|Bytes Computing",
};

const char* const streetNames[] = {
    "High",       "Station",   "Church",      "Victoria",  "Park",       "Mill",      "Queen",
    "King",       "Albert",    "Manor",       "Chapel",    "Bridge",     "Market",    "School",
    "Grange",     "Orchard",   "Meadow",      "Windsor",   "York",       "London",    "North",
    "South",      "West",      "Springfield", "Highfield", "Kingsway",   "Cromwell",  "Nelson",
    "Wellington", "Richmond",  "Oxford",      "Cambridge", "Beech",      "Oak",       "Ash",
    "Willow",     "Cedar",     "Elm",         "Holly",     "Hawthorn",   "Rowan",     "Sycamore",
    "Fairfield",  "Greenacre", "Moor",        "Castle",    "Abbey",      "Priory",    "Mount",
    "St John's",  "St Mary's", "Trinity",     "Jubilee",   "Coronation", "Riverside", "Canal",
};

const char* const streetKinds[] = {
    "Road", "Road",     "Street",  "Street", "Lane",    "Avenue", "Close", "Drive",
    "Way",  "Crescent", "Gardens", "Place",  "Terrace", "Grove",  "Court", "Row",
};

const char* const buildingNames[] = {
    "Unit 3, Enterprise Park",
    "Suite 12, Regent House",
    "The Old Rectory",
    "Rose Cottage",
    "Ground Floor, Mercury Court",
    "Unit 7, Riverside Works",
    "The Coach House",
    "Brook Farm",
    "Lilac Cottage",
    "2nd Floor, Minster Chambers",
    "Sunnyside",
    "Orchard House",
};

const char* const localities[] = {
    "Northside", "Old Town", "Westbrook", "Southfields", "Eastcote",    "Hillside",
    "Newtown",   "Bankside", "Moorside",  "Kingsmead",   "Upperthorpe", "Woodlands",
};

const char* const positions[] = {
    "Managing Director",
    "Director",
    "Office Manager",
    "Accounts Manager",
    "Sales Manager",
    "Purchasing Manager",
    "Operations Manager",
    "Marketing Executive",
    "Practice Manager",
    "Partner",
    "Senior Partner",
    "Administrator",
    "Receptionist",
    "Finance Director",
    "Site Manager",
    "IT Manager",
    "Customer Services",
    "Personal Assistant",
    "Buyer",
    "Proprietor",
};

const char* const sectors[] = {
    "Trade", "Retail", "Supplier", "Prospect", "Public sector", "Charity", "Wholesale",
};

const char* const notes[] = {
    "Prefers to be contacted by e-mail.",
    "Met at the spring trade fair.",
    "Invoices to the accounts department, please.",
    "Closed on Wednesday afternoons.",
    "Ask for the extension when calling the main number.",
    "Sent the new price list in March.",
    "Referred by a neighbouring business.",
    "Pays promptly; 30-day account.",
    "Call back after the refit is finished.",
    "Interested in the maintenance contract.",
    "",
    "",
    "",
};

const char* const mailDomains[] = {
    "example.com", "example.net", "example.org", "example.co.uk", "example.org.uk",
};

const char* const brochures[] = {
    "Spring Catalogue",   "Trade Price List",  "Garden Range",
    "Kitchen Collection", "Services Overview", "Annual Offers",
};

const char* const products[] = {
    "Oak worktop 3m",          "Replacement sash window",  "Boiler service",
    "Box of 500 A4 envelopes", "Office cleaning (weekly)", "Laser-cut sign",
    "Raised garden bed kit",   "Annual support plan",
};

const char* const referrers[] = {
    "Search engine", "A friend",     "Local newspaper",
    "Trade show",    "Social media", "Existing customer",
};

const char* const enquiryTexts[] = {
    "Could you send me a quotation for the work we discussed?",
    "Please call me about your opening hours over the holiday.",
    "I would like to book a visit next week if possible.",
    "Do you deliver to our area? We are just outside town.",
    "Please add me to your mailing list.",
    "Can you confirm the price includes VAT at 20%?",
};

const char* const ordinarySubjects[] = {
    "Re: your quotation", "Meeting on Thursday", "Invoice query",         "Delivery update",
    "Thank you",          "Change of address",   "Holiday opening times",
};

const char* const ordinaryTexts[] = {
    "Thanks for getting back to me so quickly.",      "Could we move our meeting to 2pm?",
    "The parcel arrived this morning, all in order.", "Please find our new bank details attached.",
    "We will be closed from the 24th until the 2nd.",
};

const Town towns[] = {
    {"London", "Greater London", "SW", 20, "020 7946 0"},
    {"London", "Greater London", "N", 22, "020 7946 0"},
    {"London", "Greater London", "SE", 28, "020 7946 0"},
    {"Leeds", "West Yorkshire", "LS", 29, "0113 496 0"},
    {"Sheffield", "South Yorkshire", "S", 36, "0114 496 0"},
    {"Nottingham", "Nottinghamshire", "NG", 25, "0115 496 0"},
    {"Leicester", "Leicestershire", "LE", 19, "0116 496 0"},
    {"Bristol", "Avon", "BS", 41, "0117 496 0"},
    {"Reading", "Berkshire", "RG", 31, "0118 496 0"},
    {"Birmingham", "West Midlands", "B", 48, "0121 496 0"},
    {"Edinburgh", "Midlothian", "EH", 55, "0131 496 0"},
    {"Glasgow", "Lanarkshire", "G", 46, "0141 496 0"},
    {"Liverpool", "Merseyside", "L", 38, "0151 496 0"},
    {"Manchester", "Greater Manchester", "M", 46, "0161 496 0"},
    {"Newcastle upon Tyne", "Tyne and Wear", "NE", 30, "0191 498 0"},
    {"Cardiff", "South Glamorgan", "CF", 24, "029 2018 0"},
    {"Belfast", "County Antrim", "BT", 17, "028 9018 0"},
    {"Oxford", "Oxfordshire", "OX", 18, "01632 960"},
    {"Cambridge", "Cambridgeshire", "CB", 25, "01632 960"},
    {"York", "North Yorkshire", "YO", 32, "01632 960"},
    {"Norwich", "Norfolk", "NR", 35, "01632 960"},
    {"Exeter", "Devon", "EX", 39, "01632 960"},
    {"Plymouth", "Devon", "PL", 35, "01632 960"},
    {"Brighton", "East Sussex", "BN", 45, "01632 960"},
    {"Canterbury", "Kent", "CT", 21, "01632 960"},
    {"Bath", "Somerset", "BA", 22, "01632 960"},
    {"Chester", "Cheshire", "CH", 66, "01632 960"},
    {"Lincoln", "Lincolnshire", "LN", 13, "01632 960"},
    {"Derby", "Derbyshire", "DE", 75, "01632 960"},
    {"Coventry", "West Midlands", "CV", 47, "01632 960"},
    {"Southampton", "Hampshire", "SO", 53, "01632 960"},
    {"Ipswich", "Suffolk", "IP", 33, "01632 960"},
    {"Swansea", "West Glamorgan", "SA", 73, "01632 960"},
    {"Aberdeen", "Aberdeenshire", "AB", 56, "01632 960"},
    {"Inverness", "Inverness-shire", "IV", 63, "01632 960"},
    {"Carlisle", "Cumbria", "CA", 28, "01632 960"},
    {"Durham", "County Durham", "DH", 9, "01632 960"},
    {"Harrogate", "North Yorkshire", "HG", 5, "01632 960"},
    {"Guildford", "Surrey", "GU", 52, "01632 960"},
    {"Tunbridge Wells", "Kent", "TN", 40, "01632 960"},
    {"Cheltenham", "Gloucestershire", "GL", 56, "01632 960"},
    {"Worcester", "Worcestershire", "WR", 15, "01632 960"},
    {"Shrewsbury", "Shropshire", "SY", 25, "01632 960"},
    {"Truro", "Cornwall", "TR", 27, "01632 960"},
    {"Dundee", "Angus", "DD", 11, "01632 960"},
    {"Stirling", "Stirlingshire", "FK", 21, "01632 960"},
};

} // namespace

const List MaleFirstNames = maleFirstNames;
const List FemaleFirstNames = femaleFirstNames;
const List Surnames = surnames;
const List CompanyStems = companyStems;
const List Trades = trades;
const List CompanySuffixes = companySuffixes;
const List AwkwardCompanyNames = awkwardCompanyNames;
const List StreetNames = streetNames;
const List StreetKinds = streetKinds;
const List BuildingNames = buildingNames;
const List Localities = localities;
const List Positions = positions;
const List Sectors = sectors;
const List Notes = notes;
const List MailDomains = mailDomains;
const List Brochures = brochures;
const List Products = products;
const List Referrers = referrers;
const List EnquiryTexts = enquiryTexts;
const List OrdinarySubjects = ordinarySubjects;
const List OrdinaryTexts = ordinaryTexts;
const std::span<const Town> Towns = towns;
const char* const MobilePrefix = "07700 900";

} // namespace Demo::Words
