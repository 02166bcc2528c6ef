// One customer and the orders: a service that returns two datasets.
// The service XML block below is this service's definition.
/**__SERVICE XML BEGIN__
<service name="demo_customer_orders" class_name="CCustomerOrders">
  <description>One customer's record and orders: two datasets from one call.</description>
  <input>
    <variable name="customer_id" type="int" required="1"/>
  </input>
  <output>
    <variable name="order_total"/>
    <dataset name="customer"/>
    <dataset name="orders"/>
  </output>
  <statement dataset="customer"><![CDATA[
    SELECT id, name, city, since FROM customers WHERE id = :customer_id
  ]]></statement>
  <statement dataset="orders"><![CDATA[
    SELECT id, item, quantity, price, quantity * price AS amount
    FROM orders WHERE customer_id = :customer_id ORDER BY id
  ]]></statement>
  <statement variables="1"><![CDATA[
    SELECT COALESCE(SUM(quantity * price), 0.0) AS order_total FROM orders WHERE customer_id = :customer_id
  ]]></statement>
</service>
__SERVICE XML END__**/

// The service server runs the statements of the definition above; the class only names
// the service in listings.
class CCustomerOrders {};
