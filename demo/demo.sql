-- The demo database: customers and their orders. Builds a fresh database each time.
-- sqlite3 demo.db < demo.sql
DROP TABLE IF EXISTS orders;
DROP TABLE IF EXISTS customers;

CREATE TABLE customers (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL,
    city TEXT NOT NULL,
    since TEXT
);

CREATE TABLE orders (
    id INTEGER PRIMARY KEY,
    customer_id INTEGER NOT NULL REFERENCES customers(id),
    item TEXT NOT NULL,
    quantity INTEGER NOT NULL,
    price REAL NOT NULL
);

INSERT INTO customers (id, name, city, since) VALUES (1, 'Ada Brenner', 'Lyon', '2019-03-14');
INSERT INTO customers (id, name, city, since) VALUES (2, 'Bruno Castel', 'Lyon', '2020-11-02');
INSERT INTO customers (id, name, city, since) VALUES (3, 'Chiara Dalla', 'Turin', '2021-06-30');
INSERT INTO customers (id, name, city, since) VALUES (4, 'Dmitri Egorov', 'Riga', '2018-01-09');
INSERT INTO customers (id, name, city, since) VALUES (5, 'Eve O''Neill', 'Cork', '2022-08-21');

INSERT INTO orders (id, customer_id, item, quantity, price) VALUES (1, 1, 'Notebook', 3, 4.5);
INSERT INTO orders (id, customer_id, item, quantity, price) VALUES (2, 1, 'Fountain pen', 1, 32.0);
INSERT INTO orders (id, customer_id, item, quantity, price) VALUES (3, 2, 'Desk lamp', 2, 27.9);
INSERT INTO orders (id, customer_id, item, quantity, price) VALUES (4, 3, 'Notebook', 10, 4.5);
INSERT INTO orders (id, customer_id, item, quantity, price) VALUES (5, 4, 'Stapler', 1, 12.25);
INSERT INTO orders (id, customer_id, item, quantity, price) VALUES (6, 5, 'Ink, blue', 6, 3.75);
